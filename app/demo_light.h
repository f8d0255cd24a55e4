// The one OpenGL light the demo drives: GL_LIGHT0, positional, at (500, 400, 500).
//
// The script sets its colours and the model-view matrix its position goes through;
// drawing sends it (GL takes the position through the matrix current when it is sent).
#pragma once

#include "render/matrix4.h"
#include "render/vector3.h"

struct DemoLight {
    Vector3 ambient;
    Vector3 diffuse;
    // The model-view matrix the position is taken through when the light is sent.
    Matrix4 placement;

    // Store a colour; nothing reaches GL until send.
    void setAmbient(Vector3 colour) { ambient = colour; }
    void setDiffuse(Vector3 colour) { diffuse = colour; }

    // Switches lighting on and sends ambient, diffuse and position of GL_LIGHT0, the
    // position through `placement`. Leaves the model-view matrix and makes it the
    // current matrix.
    void send() const;
};

// The light `t` of the way from `from` to `to`: colours and placement blended
// element by element (exactly `from` at 0 and `to` at 1).
DemoLight blendLights(const DemoLight& from, const DemoLight& to, float t);
