// How a render-mode word is read, the same for every renderer: three modifier bits
// applied first (sphere map, alpha blend, additive blend, in that order), then one
// of five drawing styles, the one with the lowest precedence winning.
#pragma once

#include "scene/scene.h"

#include <cstdint>

enum class Style { WIREFRAME, FLAT, SMOOTH, TEXTURED, TEXTURED_BLEND };

inline Style styleOf(int32_t renderMode) {
    if (renderMode & RENDER_WIREFRAME)
        return Style::WIREFRAME;
    if (renderMode & RENDER_FLAT)
        return Style::FLAT;
    if (renderMode & RENDER_SMOOTH)
        return Style::SMOOTH;
    if (renderMode & RENDER_TEXTURED)
        return Style::TEXTURED;
    if (renderMode & RENDER_TEXTURED_BLEND)
        return Style::TEXTURED_BLEND;
    return Style::SMOOTH;
}
