// OpenGL declarations for the shader renderer: OpenGL ES 3 / WebGL 2 in the browser,
// OpenGL 3.3 entry points (exported by the system's libGL) on the desktop.
#pragma once

#ifdef __EMSCRIPTEN__
#include <GLES3/gl3.h>
#else
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#endif
