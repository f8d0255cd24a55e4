#include "app/offscreen_gl.h"

#include <windows.h>

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>

// On Windows an OpenGL context needs a window: a hidden one of its own, whose device
// context stays with it (CS_OWNDC). Drawing goes into a framebuffer object when the
// driver has them (opengl32 itself exports only OpenGL 1.1), else into the window's
// own framebuffer.

namespace {

const char* const WINDOW_CLASS = "QuarnOffscreenGL";

struct FramebufferCalls {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;

    template <class F> static void load(F& call, const char* name) {
        call = reinterpret_cast<F>(reinterpret_cast<void (*)()>(wglGetProcAddress(name)));
    }
    // True when the current context has every call.
    bool load() {
        load(genFramebuffers, "glGenFramebuffers");
        load(bindFramebuffer, "glBindFramebuffer");
        load(deleteFramebuffers, "glDeleteFramebuffers");
        load(genRenderbuffers, "glGenRenderbuffers");
        load(bindRenderbuffer, "glBindRenderbuffer");
        load(deleteRenderbuffers, "glDeleteRenderbuffers");
        load(renderbufferStorage, "glRenderbufferStorage");
        load(framebufferRenderbuffer, "glFramebufferRenderbuffer");
        load(checkFramebufferStatus, "glCheckFramebufferStatus");
        return genFramebuffers && bindFramebuffer && deleteFramebuffers && genRenderbuffers &&
               bindRenderbuffer && deleteRenderbuffers && renderbufferStorage && framebufferRenderbuffer &&
               checkFramebufferStatus;
    }
};

FramebufferCalls fbo;

HWND hiddenWindow(int width, int height) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    if (!GetClassInfoA(instance, WINDOW_CLASS, &windowClass)) {
        windowClass.style = CS_OWNDC;
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = WINDOW_CLASS;
        if (!RegisterClassA(&windowClass))
            return nullptr;
    }
    return CreateWindowExA(0, WINDOW_CLASS, "", WS_POPUP, 0, 0, width, height, nullptr, nullptr, instance,
                           nullptr);
}

bool choosePixelFormat(HDC dc) {
    PIXELFORMATDESCRIPTOR format = {};
    format.nSize = sizeof format;
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = 32;
    format.cDepthBits = 24;
    format.iLayerType = PFD_MAIN_PLANE;
    int index = ChoosePixelFormat(dc, &format);
    return index != 0 && SetPixelFormat(dc, index, &format);
}

} // namespace

OffscreenGL::~OffscreenGL() {
    destroy();
}

bool OffscreenGL::create(int width, int height, std::string& errorText, int samples) {
    if (samples > 1) {
        errorText = "multisampling offscreen is not available on this system";
        return false;
    }
    destroy();
    HWND window = hiddenWindow(width, height);
    if (!window) {
        errorText = "can't create the hidden window of the OpenGL context";
        return false;
    }
    display_ = window;
    HDC dc = GetDC(window);
    if (!choosePixelFormat(dc)) {
        errorText = "no OpenGL pixel format for the offscreen context";
        destroy();
        return false;
    }
    HGLRC context = wglCreateContext(dc);
    if (!context || !wglMakeCurrent(dc, context)) {
        if (context)
            wglDeleteContext(context);
        errorText = "can't create the offscreen OpenGL context";
        destroy();
        return false;
    }
    context_ = context;
    width_ = width;
    height_ = height;
    if (fbo.load()) {
        fbo.genFramebuffers(1, &framebuffer_);
        fbo.bindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
        fbo.genRenderbuffers(1, &colorBuffer_);
        fbo.bindRenderbuffer(GL_RENDERBUFFER, colorBuffer_);
        fbo.renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
        fbo.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colorBuffer_);
        fbo.genRenderbuffers(1, &depthBuffer_);
        fbo.bindRenderbuffer(GL_RENDERBUFFER, depthBuffer_);
        fbo.renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
        fbo.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer_);
        if (fbo.checkFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
            errorText = "the offscreen framebuffer is incomplete";
            destroy();
            return false;
        }
    }
    glViewport(0, 0, width, height);
    return true;
}

void OffscreenGL::destroy() {
    if (context_) {
        if (framebuffer_) {
            fbo.bindFramebuffer(GL_FRAMEBUFFER, 0);
            fbo.deleteFramebuffers(1, &framebuffer_);
        }
        if (colorBuffer_)
            fbo.deleteRenderbuffers(1, &colorBuffer_);
        if (depthBuffer_)
            fbo.deleteRenderbuffers(1, &depthBuffer_);
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(static_cast<HGLRC>(context_));
    }
    if (display_)
        DestroyWindow(static_cast<HWND>(display_));
    framebuffer_ = colorBuffer_ = depthBuffer_ = 0;
    context_ = nullptr;
    display_ = nullptr;
    width_ = height_ = 0;
}

void OffscreenGL::prepareRead() const {}

std::vector<unsigned char> OffscreenGL::readRgbTopDown() const {
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
