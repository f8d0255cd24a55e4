#include "app/picture_shape.h"

#include "render/gl.h"

PictureShape pictureShape(int32_t width, int32_t height, bool fill) {
    PictureShape shape;
    shape.width = width;
    shape.height = height;
    const int64_t wide = static_cast<int64_t>(width) * 3;
    const int64_t high = static_cast<int64_t>(height) * 4;
    if (wide == high)
        return shape;
    if (fill) {
        shape.aspect = static_cast<float>(width) / static_cast<float>(height);
        return shape;
    }
    if (wide > high) {
        shape.width = static_cast<int32_t>((static_cast<int64_t>(height) * 4 + 1) / 3);
        shape.x = (width - shape.width) / 2;
    } else {
        shape.height = static_cast<int32_t>((static_cast<int64_t>(width) * 3 + 2) / 4);
        shape.y = (height - shape.height) / 2;
    }
    return shape;
}

void applyPictureShape(const PictureShape& shape) {
    glViewport(shape.x, shape.y, shape.width, shape.height);
}
