// The widening of the field of view that the script adds to camera 0's own for each
// part it shows (degrees). The projection's aspect is 1, so the total is both the
// vertical and the horizontal view, stretched to the window's width.
#pragma once

#include <cstdint>

constexpr float partFovWidening(int32_t partNumber) {
    return partNumber == 2   ? 40.0f
           : partNumber == 3 ? 140.0f
           : partNumber == 5 ? 80.0f
           : partNumber == 6 ? 37.0f
                             : 0.0f;
}

// A total view at or past this turns the picture over; above the warning it is
// stretched so far that shapes at the edges smear.
constexpr float FLIPPING_FOV = 180.0f;
constexpr float WIDE_FOV_WARNING = 150.0f;
