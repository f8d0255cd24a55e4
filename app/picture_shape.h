// Where the picture goes in a window or frame of any shape. The design's picture is
// drawn with a projection of aspect 1.0 stretched over a 4:3 area; at any other shape
// it is that 4:3 picture centred between black bars, or, when asked to fill, the
// whole area with the projection at the area's own aspect (nothing stretched, more
// of the scene at the sides).
#pragma once

#include <cstdint>

struct PictureShape {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    float aspect = 1.0f; // for the projection
};

PictureShape pictureShape(int32_t width, int32_t height, bool fill);

// Sets the GL viewport to the shape (the frame's clear still covers the bars).
void applyPictureShape(const PictureShape& shape);
