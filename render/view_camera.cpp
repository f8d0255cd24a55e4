#include "render/view_camera.h"

#include "render/matrix4.h"
#include "render/renderer.h"

ViewCamera::ViewCamera() {
    setPerspective(60.0f, 1.5f, 0.1f, 2000.0f);
}

void setPerspective(float fov, float aspect, float zNear, float zFar) {
    activeRenderer().setProjection(fov, aspect, zNear, zFar);
}

namespace {

struct Axes {
    Vector3 right;
    Vector3 up;
    Vector3 back;
};

Axes axesOf(Vector3 position, Vector3 target, Vector3 upHint) {
    Axes axes;
    position.subtract(target, axes.back);
    upHint.cross(axes.back, axes.right);
    axes.back.normalize();
    axes.right.normalize();
    axes.up.setCross(axes.back, axes.right);
    return axes;
}

Matrix4 matrixOf(const Axes& a, const Vector3& eye) {
    Matrix4 view;
    const float values[16] = {a.right.x,         a.up.x,         a.back.x,         0.0f,   a.right.y, a.up.y,
                              a.back.y,          0.0f,           a.right.z,        a.up.z, a.back.z,  0.0f,
                              -a.right.dot(eye), -a.up.dot(eye), -a.back.dot(eye), 1.0f};
    view.set(values);
    return view;
}

} // namespace

void ViewCamera::lookAt(Vector3 position, Vector3 target, Vector3 upHint) {
    eye = position;
    Axes axes = axesOf(position, target, upHint);
    right = axes.right;
    up = axes.up;
    back = axes.back;
    loadViewMatrix();
}

Matrix4 ViewCamera::viewMatrix() const {
    return matrixOf(Axes{right, up, back}, eye);
}

void ViewCamera::loadViewMatrix() {
    activeRenderer().setView(viewMatrix());
}

Matrix4 lookAtMatrix(Vector3 position, Vector3 target, Vector3 upHint) {
    return matrixOf(axesOf(position, target, upHint), position);
}
