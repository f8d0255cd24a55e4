// The one OpenGL light the demo drives: GL_LIGHT0, positional, at (500, 400, 500).
#pragma once

#include "render/vector3.h"

struct DemoLight {
    Vector3 ambient;
    Vector3 diffuse;

    // Each switches lighting on, stores its colour and sends ambient, diffuse and
    // position of GL_LIGHT0. The position goes through the model-view matrix current
    // at that moment.
    void setAmbient(Vector3 colour);
    void setDiffuse(Vector3 colour);

  private:
    void send() const;
};
