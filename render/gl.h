// OpenGL 1.1 and GLU declarations for the portable core.
#pragma once

#if defined(_WIN32) && !defined(APIENTRY)
// The Windows GL headers expect these two macros from the system headers.
#define APIENTRY __stdcall
#define QUARN_DEFINED_APIENTRY
#endif
#if defined(_WIN32) && !defined(WINGDIAPI)
#define WINGDIAPI __declspec(dllimport)
#define QUARN_DEFINED_WINGDIAPI
#endif

#if defined(_WIN32) && !defined(CALLBACK)
#define CALLBACK __stdcall
#define QUARN_DEFINED_CALLBACK
#endif

#include <GL/gl.h>
#include <GL/glu.h>
