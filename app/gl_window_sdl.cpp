// The render window on Linux: an SDL2 window with a double-buffered OpenGL context.
#include "app/gl_window.h"
#include "log/log.h"
#include "render/gl.h"

#include <SDL.h>
#include <cstdio>
#include <cstring>

GLWindow gWindow;

namespace {

const char* const WINDOW_TITLE = "Vornik glEngine system 0.5 big beta";

// Key presses seen since the last query, by SDL scancode.
bool pressedSince[SDL_NUM_SCANCODES];

SDL_Window* sdlWindow(const GLWindow& w) {
    return static_cast<SDL_Window*>(w.window);
}

SDL_Scancode scancodeForVirtualKey(int virtualKey) {
    if (virtualKey == VK_ESCAPE_KEY)
        return SDL_SCANCODE_ESCAPE;
    if (virtualKey == 13)
        return SDL_SCANCODE_RETURN;
    if (virtualKey == 32)
        return SDL_SCANCODE_SPACE;
    return SDL_SCANCODE_UNKNOWN;
}

// The window in and out of full screen on its desktop, at the desktop's own size
// (no display mode change); the picture follows the drawable.
// A window that opened in full screen on the desktop comes back framed, resizable and
// maximized.
void toggleDesktopFullScreen(GLWindow& w) {
    SDL_Window* window = sdlWindow(w);
    bool on = (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP) == SDL_WINDOW_FULLSCREEN_DESKTOP;
    SDL_SetWindowFullscreen(window, on ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
    if (on && (SDL_GetWindowFlags(window) & SDL_WINDOW_BORDERLESS)) {
        SDL_SetWindowBordered(window, SDL_TRUE);
        SDL_SetWindowResizable(window, SDL_TRUE);
        SDL_MaximizeWindow(window);
        SDL_ShowCursor(SDL_ENABLE);
    }
    SDL_GL_GetDrawableSize(window, &w.drawableWidth, &w.drawableHeight);
}

void handleEvent(GLWindow& w, const SDL_Event& event) {
    switch (event.type) {
    case SDL_QUIT:
        w.quitRequested = true;
        break;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE)
            w.quitRequested = true;
        if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED && !w.changesDisplayMode())
            SDL_GL_GetDrawableSize(sdlWindow(w), &w.drawableWidth, &w.drawableHeight);
        break;
    case SDL_KEYDOWN:
        pressedSince[event.key.keysym.scancode] = true;
        if (!w.changesDisplayMode() && !event.key.repeat &&
            (event.key.keysym.scancode == SDL_SCANCODE_F11 ||
             (event.key.keysym.scancode == SDL_SCANCODE_RETURN && (event.key.keysym.mod & KMOD_ALT))))
            toggleDesktopFullScreen(w);
        break;
    default:
        break;
    }
}

// The refresh rate of the display the window is on (60 when it does not say) and,
// unless one picture per pass is wanted, a swap that waits for it.
void findFrameRate(GLWindow& w) {
    SDL_DisplayMode mode;
    int display = SDL_GetWindowDisplayIndex(sdlWindow(w));
    w.refreshRate = 60;
    if (SDL_GetCurrentDisplayMode(display < 0 ? 0 : display, &mode) == 0 && mode.refresh_rate > 0)
        w.refreshRate = mode.refresh_rate;
    w.vsync = !w.classicPacing && SDL_GL_SetSwapInterval(1) == 0;
}

// Double-buffered 8-bit colour with a 16-bit depth buffer; smooth edges where the
// driver offers 4 samples, silently none where it can't.
void askForPixelFormat(bool multisample) {
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, multisample ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, multisample ? 4 : 0);
}

} // namespace

bool GLWindow::create() {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        gLog.error("Failed To Register The Window Class");
    if (std::strcmp(SDL_GetCurrentVideoDriver(), "offscreen") == 0 ||
        std::strcmp(SDL_GetCurrentVideoDriver(), "dummy") == 0) {
        destroy();
        gLog.error("Window Creation GError.Error: there is no display to open the window on");
    }
    instance = this;
    if (fullScreen)
        SDL_ShowCursor(SDL_DISABLE);

    askForPixelFormat(multisample);

    // Windowed: centred on the primary screen by the client size, and resizable.
    int x = 0;
    int y = 0;
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    SDL_DisplayMode mode;
    if (desktopResolution && SDL_GetDesktopDisplayMode(0, &mode) == 0) {
        // The desktop's size of the display the window opens on.
        width = mode.w;
        height = mode.h;
    }
    if (fullScreen) {
        flags |= SDL_WINDOW_BORDERLESS;
    } else {
        flags |= SDL_WINDOW_RESIZABLE | (desktopResolution ? SDL_WINDOW_MAXIMIZED : 0);
        if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
            x = mode.w / 2 - width / 2;
            y = mode.h / 2 - height / 2;
        }
    }
    window = SDL_CreateWindow(WINDOW_TITLE, x, y, width, height, flags);
    if (!window && multisample) {
        SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, 0);
        SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, 0);
        window = SDL_CreateWindow(WINDOW_TITLE, x, y, width, height, flags);
    }
    if (!window) {
        destroy();
        gLog.error("Window Creation GError.Error");
    }
    deviceContext = window;
    renderContext = SDL_GL_CreateContext(sdlWindow(*this));
    if (!renderContext) {
        destroy();
        gLog.error("Can't Create A GL Rendering Context");
    }
    if (SDL_GL_MakeCurrent(sdlWindow(*this), static_cast<SDL_GLContext>(renderContext)) != 0) {
        destroy();
        gLog.error("Can't Activate The GL Rendering Context");
    }
    if (!fullScreen) {
        SDL_ShowWindow(sdlWindow(*this));
        SDL_RaiseWindow(sdlWindow(*this));
    }
    findFrameRate(*this);
    glViewport(0, 0, width, height);
    // At the desktop's size the shape is the desktop's: bars or fill from the start.
    if (desktopResolution)
        SDL_GL_GetDrawableSize(sdlWindow(*this), &drawableWidth, &drawableHeight);
    return true;
}

void GLWindow::enterFullScreen() {
    SDL_Window* w = sdlWindow(*this);
    if (desktopResolution) {
        // A borderless window covering its display, the display mode unchanged.
        SDL_SetWindowFullscreen(w, SDL_WINDOW_FULLSCREEN_DESKTOP);
        SDL_ShowWindow(w);
        SDL_RaiseWindow(w);
        SDL_GL_GetDrawableSize(w, &drawableWidth, &drawableHeight);
        return;
    }
    // The display must offer exactly width x height; SDL would otherwise pick the next
    // larger mode and the demo would not be at the resolution chosen.
    SDL_DisplayMode wanted;
    std::memset(&wanted, 0, sizeof wanted);
    wanted.w = width;
    wanted.h = height;
    SDL_DisplayMode closest;
    int display = SDL_GetWindowDisplayIndex(w);
    if (display < 0)
        display = 0;
    bool ok = SDL_GetClosestDisplayMode(display, &wanted, &closest) != nullptr && closest.w == width &&
              closest.h == height && SDL_SetWindowDisplayMode(w, &closest) == 0 &&
              SDL_SetWindowFullscreen(w, SDL_WINDOW_FULLSCREEN) == 0;
    if (ok) {
        // The mode changes when the window is shown: check that it did.
        SDL_ShowWindow(w);
        SDL_DisplayMode current;
        ok = SDL_GetCurrentDisplayMode(display, &current) == 0 && current.w == width && current.h == height &&
             (SDL_GetWindowFlags(w) & SDL_WINDOW_FULLSCREEN) != 0;
        if (!ok)
            SDL_SetWindowFullscreen(w, 0);
    }
    if (!ok) {
        if (logconsole::askYesNo("The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use "
                                 "Windowed Mode Instead?",
                                 "VORNIK"))
            fullScreen = false;
        else
            gLog.error("Program Will Now Close");
    }
    SDL_ShowWindow(w);
    SDL_RaiseWindow(w);
}

void GLWindow::present() {
    SDL_Event event;
    if (SDL_PollEvent(&event))
        handleEvent(*this, event);
    SDL_GL_SwapWindow(sdlWindow(*this));
}

int32_t GLWindow::keyPressed(int virtualKey) {
    SDL_Scancode code = scancodeForVirtualKey(virtualKey);
    if (code == SDL_SCANCODE_UNKNOWN)
        return 0;
    // Take every queued event so a press and release between two queries is seen.
    SDL_PumpEvents();
    SDL_Event event;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_KEYDOWN, SDL_KEYDOWN) > 0)
        handleEvent(*this, event);
    // SDL turns Ctrl-C and SIGTERM into a quit event. present() takes one event a
    // pass, so behind a backlog of other events (mouse motion comes faster than 50
    // a second) the quit would wait indefinitely: take it here, every pass.
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_QUIT, SDL_QUIT) > 0)
        handleEvent(*this, event);
    bool down = SDL_GetKeyboardState(nullptr)[code] != 0;
    bool was = pressedSince[code];
    pressedSince[code] = false;
    return down ? static_cast<int32_t>(static_cast<int16_t>(0x8000)) : (was ? 1 : 0);
}

void GLWindow::destroy() {
    if (fullScreen) {
        if (window)
            SDL_SetWindowFullscreen(sdlWindow(*this), 0);
        SDL_ShowCursor(SDL_ENABLE);
    }
    if (renderContext) {
        if (SDL_GL_MakeCurrent(sdlWindow(*this), nullptr) != 0)
            gLog.error("Release Of DC And RC Failed");
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(renderContext));
        renderContext = nullptr;
    }
    deviceContext = nullptr;
    if (window) {
        SDL_DestroyWindow(sdlWindow(*this));
        window = nullptr;
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    std::fputs("[USER]->Exit program\n", stdout);
    std::fflush(stdout);
}

void GLWindow::setTitle(const char* text) {
    if (window)
        SDL_SetWindowTitle(sdlWindow(*this), text);
}
