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

    void setDefaults();
    // Shows the launch dialog; Cancel ends the process with exit code 1. Then creates
    // the window and the GL context and returns the result of create().
    bool setup();
    bool create();
    bool isFullScreen() const { return fullScreen; }
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
