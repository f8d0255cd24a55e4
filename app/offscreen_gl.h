// An OpenGL context with no window and no display server (EGL on Mesa), drawing
// into a framebuffer object of a given size. Used by tests, the capture mode and
// the scene inspector.
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
    // them current. On failure returns false and fills errorText.
    bool create(int width, int height, std::string& errorText);
    void destroy();

    // Reads the framebuffer as RGB rows, top row first.
    std::vector<unsigned char> readRgbTopDown() const;

    int width() const { return width_; }
    int height() const { return height_; }

  private:
    void* display_ = nullptr;
    void* context_ = nullptr;
    unsigned int framebuffer_ = 0;
    unsigned int colorBuffer_ = 0;
    unsigned int depthBuffer_ = 0;
    int width_ = 0;
    int height_ = 0;
};
