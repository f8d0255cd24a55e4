// The display settings chosen in the launch dialog, the render window, and its GL
// context. One process-wide instance: the dialog and window callbacks reach it directly.
#pragma once

#include <cstdint>

class GLWindow {
  public:
    int32_t width = 640;
    int32_t height = 480;
    int32_t bitsPerPixel = 32;
    bool fullScreen = false;
    // The dialog's desktop choice: width x height are the desktop's own size on the
    // monitor the program is on; full screen there is a borderless window covering
    // that monitor (no display mode change), a window is maximized.
    bool desktopResolution = false;
    bool cancelled = false;
    bool noSound = false;

    // Platform handles (the module, the window, its device context and GL context).
    void* instance = nullptr;
    void* window = nullptr;
    void* deviceContext = nullptr;
    void* renderContext = nullptr;
    // Set when the window is closed or the system asks the program to quit.
    bool quitRequested = false;

    // Frames: false draws at the display's rate between passes (vsync, or a cap at
    // refreshRate where vsync does not hold); true shows one picture per pass.
    bool classicPacing = false;
    // Found by create(): the display's refresh rate (60 when it does not say) and
    // whether the buffer swap waits for it.
    int32_t refreshRate = 60;
    bool vsync = false;
    // Print the frame and pass rates when the window closes.
    bool showStats = false;
    // Smooth edges: 4 samples per pixel where the driver offers them.
    bool multisample = true;
    // At a shape other than 4:3, fill the window at its own aspect instead of the 4:3
    // picture between black bars.
    bool fill = false;
    // The drawable's size now: a window can be resized, maximized and put into full
    // screen on the desktop (F11, Alt+Enter); the picture follows. Zero while the
    // window keeps the chosen size (and the display mode full screen).
    int32_t drawableWidth = 0;
    int32_t drawableHeight = 0;

    void setDefaults();
    // Shows the launch dialog; Cancel ends the process with exit code 1. Then creates
    // the window and the GL context and returns the result of create().
    bool setup();
    bool create();
    bool isFullScreen() const { return fullScreen; }
    // Full screen by a display mode change (the dialog's five resolutions).
    bool changesDisplayMode() const { return fullScreen && !desktopResolution; }
    void enterFullScreen();
    // Handles at most one pending window event, then shows the frame.
    void present();
    // Non-zero if the key is down now or was pressed since the previous query.
    int32_t keyPressed(int virtualKey);
    void destroy();
    // Replaces the title bar's text (the part preview shows its progress there).
    void setTitle(const char* text);
};

constexpr int VK_ESCAPE_KEY = 27;

// The process-wide window.
extern GLWindow gWindow;

// Shows the launch dialog, writing each choice into the window's settings as it is
// made. Provided by the platform's dialog code.
void runLaunchDialog(GLWindow& window);
