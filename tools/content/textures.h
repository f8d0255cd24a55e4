// The demo's textures, each painted by a function of its own from a seed. Sphere
// maps hold the picture of a mirror ball (the generated texture coordinates of a
// sphere-mapped object look them up by the eye-space reflection direction); cube
// atlases hold one pattern four times at falling brightness for the four groups
// of box sides (see box()), since the demo shows textures unlit.
#pragma once

#include "image.h"

#include <cstdint>
#include <string>
#include <vector>

namespace content {

enum class EnvStyle { Chrome, Slime, Gold, Ember };
enum class CubeStyle { Neon, Rust, Check, Glass };

Image sphereMap(EnvStyle style, int size, uint32_t seed);
Image cubeAtlas(CubeStyle style, int size, uint32_t seed);
Image floorTiles(int size, uint32_t seed);
Image sporeSkin(int size, uint32_t seed);

// The credits atlas: one line of text per row, rows of kCreditRowHeight texels from
// the top; the texture coordinates of line i are given by creditRect.
constexpr int kCreditRowHeight = 42;
constexpr int kCreditScale = 4; // texels per font pixel
Image creditsAtlas(const std::vector<std::string>& lines, int size);
struct TexRect {
    double u0, v0, u1, v1;
};
// Rectangle around the text of row i (with a margin), in texture coordinates.
TexRect creditRect(const std::string& line, int row, int size);

} // namespace content
