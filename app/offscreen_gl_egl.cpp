#include "app/offscreen_gl.h"

#define GL_GLEXT_PROTOTYPES 1
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <string>

namespace {

EGLDisplay surfacelessDisplay() {
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay)
        return EGL_NO_DISPLAY;
    return getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
}

// The bound renderbuffer's storage, multisampled when samples > 0.
void storage(int samples, GLenum format, int width, int height) {
    if (samples)
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, format, width, height);
    else
        glRenderbufferStorage(GL_RENDERBUFFER, format, width, height);
}

} // namespace

OffscreenGL::~OffscreenGL() {
    destroy();
}

bool OffscreenGL::create(int width, int height, std::string& errorText, int samples) {
    destroy();
    EGLDisplay display = surfacelessDisplay();
    EGLint major = 0;
    EGLint minor = 0;
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, &major, &minor)) {
        errorText = "no offscreen OpenGL display (EGL surfaceless platform of Mesa)";
        return false;
    }
    display_ = display;
    eglBindAPI(EGL_OPENGL_API);
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                       EGL_NONE};
    EGLConfig config;
    EGLint count = 0;
    if (!eglChooseConfig(display, configAttributes, &config, 1, &count) || count < 1) {
        const EGLint anyAttributes[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
        if (!eglChooseConfig(display, anyAttributes, &config, 1, &count) || count < 1) {
            errorText = "no OpenGL configuration for the offscreen context";
            destroy();
            return false;
        }
    }
    const EGLint contextAttributes[] = {EGL_CONTEXT_MAJOR_VERSION, 2, EGL_CONTEXT_MINOR_VERSION, 1, EGL_NONE};
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
    if (context == EGL_NO_CONTEXT) {
        errorText = "can't create the offscreen OpenGL context";
        destroy();
        return false;
    }
    context_ = context;
    if (!eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context)) {
        errorText = "can't make the offscreen OpenGL context current";
        destroy();
        return false;
    }
    samples_ = samples > 1 ? samples : 0;
    if (!createBuffers(width, height, errorText))
        return false;
    width_ = width;
    height_ = height;
    glViewport(0, 0, width, height);
    return true;
}

// The framebuffer drawn into (multisampled when asked) and, with samples, the plain
// one the picture is resolved into for reading. Leaves the context destroyed on failure.
bool OffscreenGL::createBuffers(int width, int height, std::string& errorText) {
    if (samples_) {
        GLint most = 0;
        glGetIntegerv(GL_MAX_SAMPLES, &most);
        if (most < samples_) {
            errorText = "the offscreen OpenGL offers at most " + std::to_string(most) + " samples per pixel";
            destroy();
            return false;
        }
        glGenFramebuffers(1, &resolveFramebuffer_);
        glBindFramebuffer(GL_FRAMEBUFFER, resolveFramebuffer_);
        glGenRenderbuffers(1, &resolveColorBuffer_);
        glBindRenderbuffer(GL_RENDERBUFFER, resolveColorBuffer_);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, resolveColorBuffer_);
    }
    glGenFramebuffers(1, &framebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glGenRenderbuffers(1, &colorBuffer_);
    glBindRenderbuffer(GL_RENDERBUFFER, colorBuffer_);
    storage(samples_, GL_RGBA8, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colorBuffer_);
    glGenRenderbuffers(1, &depthBuffer_);
    glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer_);
    storage(samples_, GL_DEPTH_COMPONENT24, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer_);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        errorText = "the offscreen framebuffer is incomplete";
        destroy();
        return false;
    }
    return true;
}

void OffscreenGL::destroy() {
    if (context_ && display_) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        if (framebuffer_)
            glDeleteFramebuffers(1, &framebuffer_);
        if (colorBuffer_)
            glDeleteRenderbuffers(1, &colorBuffer_);
        if (depthBuffer_)
            glDeleteRenderbuffers(1, &depthBuffer_);
        if (resolveFramebuffer_)
            glDeleteFramebuffers(1, &resolveFramebuffer_);
        if (resolveColorBuffer_)
            glDeleteRenderbuffers(1, &resolveColorBuffer_);
        eglMakeCurrent(static_cast<EGLDisplay>(display_), EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(static_cast<EGLDisplay>(display_), static_cast<EGLContext>(context_));
    }
    if (display_)
        eglTerminate(static_cast<EGLDisplay>(display_));
    framebuffer_ = colorBuffer_ = depthBuffer_ = resolveFramebuffer_ = resolveColorBuffer_ = 0;
    samples_ = 0;
    context_ = nullptr;
    display_ = nullptr;
    width_ = height_ = 0;
}

void OffscreenGL::prepareRead() const {
    if (!samples_)
        return;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, resolveFramebuffer_);
    glBlitFramebuffer(0, 0, width_, height_, 0, 0, width_, height_, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer_);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, resolveFramebuffer_);
}

std::vector<unsigned char> OffscreenGL::readRgbTopDown() const {
    prepareRead();
    std::vector<unsigned char> rows(static_cast<size_t>(width_) * height_ * 3);
    std::vector<unsigned char> bottomUp(rows.size());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width_, height_, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    size_t stride = static_cast<size_t>(width_) * 3;
    for (int y = 0; y < height_; ++y)
        std::copy(bottomUp.begin() + (height_ - 1 - y) * stride, bottomUp.begin() + (height_ - y) * stride,
                  rows.begin() + y * stride);
    return rows;
}
