// The demo's content: six scenes for the script, the textures their materials
// name, and the numbers that tie them to the script.
#pragma once

#include "image.h"
#include "scene_writer.h"

#include <cstdint>
#include <string>
#include <vector>

namespace content {

// Camera 0 position keys per shown scene. The script takes two keys per pass in
// part 1 and one in the parts numbered 2, 3 and 5; part 6 stays at key 0.
constexpr int kIntroKeys = 2500;    // part 1: 1250 passes, 25 s
constexpr int kCubeKeys = 2000;     // part 2: 40 s
constexpr int kSlimeKeys = 1750;    // part 3: 35 s
constexpr int kChromeKeys = 2000;   // part 5: 40 s
constexpr int kCreditPasses = 1704; // part 6: fixed by the script

// Lens of camera 0 per scene (field of view = 2400 / lens) and the script's
// widening of each part; the sum must stay below 180 degrees.
constexpr float kIntroLens = 40.0f;   // 60 + 0
constexpr float kCubeLens = 60.0f;    // 40 + 40
constexpr float kSlimeLens = 480.0f;  // 5 + 140
constexpr float kChromeLens = 160.0f; // 15 + 80
constexpr float kCreditLens = 30.0f;  // 80 + 37

struct SceneFile {
    std::string fileName; // "scene1.3ds" ...
    tds::SceneDesc desc;
};

struct TextureFile {
    std::string fileName; // lower case, ".tga" or ".jpg"
    Image image;
    int jpegQuality = 0; // for ".jpg"
};

std::vector<SceneFile> buildScenes(uint64_t seed);
std::vector<TextureFile> buildTextures(uint64_t seed);

// The credit lines shown on the plates of scene 6 (objects 2 to 12).
const std::vector<std::string>& creditLines();

} // namespace content
