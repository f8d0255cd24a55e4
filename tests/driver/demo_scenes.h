// A small set of the six scene files the demo reads, written with the 3DS writer:
// textured cubes in the numbers the script needs, a camera 0 with a given number of
// position keys per scene, and the texture image they name.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct DemoSceneSet {
    // Position keys of camera 0, scenes 1 to 6 (0: the file has no keyframer section).
    std::array<int32_t, 6> keys{{6, 4, 4, 2, 4, 1}};
    // Objects per scene; the script needs at least 1, 2, 4, -, 4 and 13.
    std::array<int32_t, 6> objects{{1, 2, 4, 1, 4, 13}};
};

// Writes scene1.3ds ... scene6.3ds and their texture into dir; false on a write failure.
bool writeDemoScenes(const std::string& dir, const DemoSceneSet& set = DemoSceneSet());
