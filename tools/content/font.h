// A 5 x 7 pixel font of our own for the texts on the demo's textures.
#pragma once

#include <string>

namespace content {

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;

// True when pixel (x, y) of the glyph for c is set; y = 0 is the glyph's top row.
// Characters without a glyph are blank.
bool glyphPixel(char c, int x, int y);
// Width of a text in font pixels, with one blank column between letters.
int textWidth(const std::string& text);

} // namespace content
