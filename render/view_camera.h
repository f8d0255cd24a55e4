// The per-scene view: eye and axes for the model-view matrix, projection values.
#pragma once

#include "render/matrix4.h"
#include "render/vector3.h"

struct ViewCamera {
    Vector3 eye;
    Vector3 right;
    Vector3 up;
    Vector3 back;
    float fov = 60.0f;
    float aspect = 1.5f;
    float zNear = 0.1f;
    float zFar = 2000.0f;

    // Sets the default perspective; leaves GL_PROJECTION current. Needs a GL context.
    ViewCamera();

    // Builds the view axes from eye, target and up and loads the view matrix.
    void lookAt(Vector3 position, Vector3 target, Vector3 upHint);
    // Loads the view matrix from the axes into GL_MODELVIEW.
    void loadViewMatrix();
    // The view matrix of the axes, as loadViewMatrix loads it.
    Matrix4 viewMatrix() const;
};

// The matrix lookAt would load for these values, computed without GL.
Matrix4 lookAtMatrix(Vector3 position, Vector3 target, Vector3 upHint);

// Sets a gluPerspective projection on the active renderer (GL 1.1: leaves
// GL_PROJECTION current).
void setPerspective(float fov, float aspect, float zNear, float zFar);
