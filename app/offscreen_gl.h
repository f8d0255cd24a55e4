// An OpenGL context with no visible window (EGL on Mesa on Linux, a hidden window with
// WGL on Windows), drawing into a framebuffer object of a given size. Used by tests,
// the capture mode and the scene inspector.
#pragma once

#include <string>
#include <vector>

class OffscreenGL {
  public:
    OffscreenGL() = default;
    OffscreenGL(const OffscreenGL&) = delete;
    OffscreenGL& operator=(const OffscreenGL&) = delete;
    ~OffscreenGL();

    // Creates the context and a width x height colour+depth framebuffer and makes
    // them current. With samples > 1 the framebuffer is multisampled (resolved into
    // a plain one for reading). On failure returns false and fills errorText.
    bool create(int width, int height, std::string& errorText, int samples = 0);
    void destroy();

    // Makes the drawn picture readable with glReadPixels: a multisampled framebuffer
    // is resolved and the plain one bound for reading (nothing to do otherwise).
    // Drawing goes on into the framebuffer drawn into before.
    void prepareRead() const;
    // Reads the framebuffer as RGB rows, top row first.
    std::vector<unsigned char> readRgbTopDown() const;

    int width() const { return width_; }
    int height() const { return height_; }

  private:
    bool createBuffers(int width, int height, std::string& errorText);

    void* display_ = nullptr;
    void* context_ = nullptr;
    unsigned int framebuffer_ = 0;
    unsigned int colorBuffer_ = 0;
    unsigned int depthBuffer_ = 0;
    // With multisampling: the plain framebuffer the picture is resolved into.
    unsigned int resolveFramebuffer_ = 0;
    unsigned int resolveColorBuffer_ = 0;
    int samples_ = 0;
    int width_ = 0;
    int height_ = 0;
};
