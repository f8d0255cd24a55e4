#include "render/view_camera.h"

#include "render/matrix4.h"
#include "render/renderer.h"

ViewCamera::ViewCamera() {
    setPerspective(60.0f, 1.5f, 0.1f, 2000.0f);
}

void setPerspective(float fov, float aspect, float zNear, float zFar) {
    activeRenderer().setProjection(fov, aspect, zNear, zFar);
}

void ViewCamera::lookAt(Vector3 position, Vector3 target, Vector3 upHint) {
    eye = position;
    position.subtract(target, back);
    upHint.cross(back, right);
    back.normalize();
    right.normalize();
    up.setCross(back, right);
    loadViewMatrix();
}

void ViewCamera::loadViewMatrix() {
    Matrix4 view;
    const float values[16] = {right.x,         up.x,         back.x,         0.0f, right.y, up.y,
                              back.y,          0.0f,         right.z,        up.z, back.z,  0.0f,
                              -right.dot(eye), -up.dot(eye), -back.dot(eye), 1.0f};
    view.set(values);
    activeRenderer().setView(view);
}
