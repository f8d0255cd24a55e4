// The render window on Windows: a Win32 window of the class "OpenGL" with a WGL
// rendering context, full screen through a display mode change, or at the desktop's
// own size as a borderless window covering the monitor (the dialog's desktop choice,
// F11, Alt+Enter). The window can be resized and maximized; the picture follows.
#include "app/gl_window.h"
#include "app/resource.h"

#include "log/log.h"

#include <windows.h>

#include <GL/gl.h>
#include <cstdio>
#include <cstring>

GLWindow gWindow;

namespace {

const char* const CLASS_NAME = "OpenGL";
const char* const WINDOW_TITLE = "Vornik glEngine system 0.5 big beta";

// The GLWindow whose window the window procedure serves (the process-wide one).
GLWindow* activeWindow = &gWindow;
// True while destroy() runs, so the window procedure knows a WM_DESTROY is expected.
bool destroying = false;
// True when the system destroyed the window outside destroy(): its device context
// went with it, and destroy() has nothing left to release for it.
bool windowGone = false;

HWND hwndOf(const GLWindow& w) {
    return static_cast<HWND>(w.window);
}
HDC hdcOf(const GLWindow& w) {
    return static_cast<HDC>(w.deviceContext);
}
HGLRC hglrcOf(const GLWindow& w) {
    return static_cast<HGLRC>(w.renderContext);
}

// Built on the first creation and kept for the life of the process.
PIXELFORMATDESCRIPTOR pixelFormat;
bool pixelFormatBuilt = false;

void buildPixelFormat(int bitsPerPixel) {
    std::memset(&pixelFormat, 0, sizeof pixelFormat);
    pixelFormat.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    pixelFormat.nVersion = 1;
    pixelFormat.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pixelFormat.iPixelType = PFD_TYPE_RGBA;
    pixelFormat.cColorBits = static_cast<BYTE>(bitsPerPixel);
    // Colour, alpha and accumulation bits and shifts stay 0: no preference.
    pixelFormat.cDepthBits = 16;
    pixelFormat.cStencilBits = 0;
    pixelFormat.cAuxBuffers = 0;
    pixelFormat.iLayerType = PFD_MAIN_PLANE;
    pixelFormatBuilt = true;
}

// The monitor's rectangle: the one the window is on, or the primary one.
RECT monitorRect(HWND window) {
    MONITORINFO monitor;
    std::memset(&monitor, 0, sizeof monitor);
    monitor.cbSize = sizeof monitor;
    HMONITOR handle = window ? MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY)
                             : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    if (!GetMonitorInfoA(handle, &monitor))
        SetRect(&monitor.rcMonitor, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    return monitor.rcMonitor;
}

const DWORD WINDOWED_STYLE = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX |
                             WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
const DWORD POPUP_STYLE = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

// Full screen on the desktop: a borderless window covering its monitor, the display
// mode unchanged. Leaving it restores the framed window where it was (maximized when
// it opened in full screen).
struct DesktopFullScreen {
    bool on = false;
    WINDOWPLACEMENT placement = {};
    bool placementSaved = false;
};
DesktopFullScreen desktopFullScreen;

void coverMonitor(HWND window) {
    RECT area = monitorRect(window);
    SetWindowLongA(window, GWL_STYLE,
                   static_cast<LONG>(POPUP_STYLE | (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE)));
    SetWindowPos(window, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_FRAMECHANGED | SWP_SHOWWINDOW);
    desktopFullScreen.on = true;
}

void toggleDesktopFullScreen(HWND window) {
    if (!desktopFullScreen.on) {
        desktopFullScreen.placement.length = sizeof desktopFullScreen.placement;
        desktopFullScreen.placementSaved = GetWindowPlacement(window, &desktopFullScreen.placement) != FALSE;
        coverMonitor(window);
        return;
    }
    desktopFullScreen.on = false;
    SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(WINDOWED_STYLE | WS_VISIBLE));
    SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
    if (desktopFullScreen.placementSaved) {
        SetWindowPlacement(window, &desktopFullScreen.placement);
    } else {
        ShowWindow(window, SW_MAXIMIZE);
        ShowCursor(TRUE); // hidden since the window opened in full screen
        activeWindow->fullScreen = false;
    }
}

// The drawable follows the client area once it differs from the size chosen (so the
// dialog's resolutions keep the design's stretched picture until the window changes).
void followClientSize(GLWindow& w, WPARAM kind, LPARAM size) {
    int32_t width = LOWORD(size);
    int32_t height = HIWORD(size);
    if (kind == SIZE_MINIMIZED || width <= 0 || height <= 0 || w.changesDisplayMode())
        return;
    if (w.drawableWidth > 0 || w.desktopResolution || width != w.width || height != w.height) {
        w.drawableWidth = width;
        w.drawableHeight = height;
    }
}

// F11, and Alt+Enter (Alt held: bit 29 of the key data), toggle full screen on the
// desktop; a key held down (bit 30, repeats) does not.
bool isFullScreenToggle(UINT message, WPARAM key, LPARAM data) {
    if (data & (1L << 30))
        return false;
    return (message == WM_KEYDOWN && key == VK_F11) ||
           (message == WM_SYSKEYDOWN && key == VK_RETURN && (data & (1L << 29)));
}

// Closing the window (close box, Alt+F4, the taskbar) asks the demo to end: the
// main loop sees quitRequested and shuts down in order, releasing the GL context
// before the window. So WM_CLOSE does not destroy the window here, and does not
// reach DefWindowProcA, which would. A key press is not a quit request: Escape is
// read through keyPressed, other keys are ignored.
LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        activeWindow->quitRequested = true;
        if (!destroying)
            windowGone = true;
        PostQuitMessage(0);
        break;
    case WM_CLOSE:
        activeWindow->quitRequested = true;
        return 0;
    case WM_QUIT:
        activeWindow->quitRequested = true;
        break;
    case WM_SIZE:
        followClientSize(*activeWindow, wParam, lParam);
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (isFullScreenToggle(message, wParam, lParam) && !activeWindow->changesDisplayMode()) {
            toggleDesktopFullScreen(window);
            return 0;
        }
        break;
    case WM_SYSCHAR:
        if (wParam == '\r')
            return 0; // Alt+Enter: no beep
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

namespace {

// Steps of GLWindow::create, in order.

void registerWindowClass(HINSTANCE instance) {
    WNDCLASSA windowClass;
    std::memset(&windowClass, 0, sizeof windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    // The program's own icon (the one Explorer shows for quarn.exe) in the caption and
    // the task bar; the system's generic one when the resource is missing.
    windowClass.hIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_QUARN));
    if (!windowClass.hIcon)
        windowClass.hIcon = LoadIconA(nullptr, IDI_WINLOGO);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = nullptr;
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = CLASS_NAME;
    if (!RegisterClassA(&windowClass))
        gLog.error("Failed To Register The Window Class");
}

struct WindowStyles {
    DWORD exStyle;
    DWORD style;
};

// A borderless popup for full screen (with the cursor hidden), a framed window otherwise.
WindowStyles chooseStyles(bool fullScreen) {
    if (fullScreen) {
        ShowCursor(FALSE);
        return {WS_EX_APPWINDOW, POPUP_STYLE};
    }
    return {WS_EX_APPWINDOW | WS_EX_WINDOWEDGE, WINDOWED_STYLE};
}

// The window, created hidden: the client area is width x height, centred by the
// client size, or at the screen's corner in full screen.
HWND createHiddenWindow(GLWindow& w, const WindowStyles& styles) {
    RECT windowRect;
    windowRect.left = 0;
    windowRect.top = 0;
    windowRect.right = w.width;
    windowRect.bottom = w.height;
    AdjustWindowRectEx(&windowRect, styles.style, FALSE, styles.exStyle);
    int x = 0;
    int y = 0;
    if (!w.fullScreen) {
        x = GetSystemMetrics(SM_CXSCREEN) / 2 - w.width / 2;
        y = GetSystemMetrics(SM_CYSCREEN) / 2 - w.height / 2;
    }
    return CreateWindowExA(styles.exStyle, CLASS_NAME, WINDOW_TITLE,
                           styles.style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, x, y,
                           windowRect.right - windowRect.left, windowRect.bottom - windowRect.top, nullptr,
                           nullptr, static_cast<HINSTANCE>(w.instance), nullptr);
}

// Releases what was made so far and ends with the error text.
[[noreturn]] void failCreate(GLWindow& w, const char* text) {
    w.destroy();
    gLog.error("%s", text);
}

// The device context with the pixel format set, then the current rendering context.
void createRenderContext(GLWindow& w) {
    if (!pixelFormatBuilt)
        buildPixelFormat(w.bitsPerPixel);
    w.deviceContext = GetDC(hwndOf(w));
    if (!w.deviceContext)
        failCreate(w, "Can't Create A GL Device Context");
    int format = ChoosePixelFormat(hdcOf(w), &pixelFormat);
    if (format == 0)
        failCreate(w, "Can't Find A Suitable PixelFormat");
    if (!SetPixelFormat(hdcOf(w), format, &pixelFormat))
        failCreate(w, "Can't Set The PixelFormat");
    w.renderContext = wglCreateContext(hdcOf(w));
    if (!w.renderContext)
        failCreate(w, "Can't Create A GL Rendering Context");
    if (!wglMakeCurrent(hdcOf(w), hglrcOf(w)))
        failCreate(w, "Can't Activate The GL Rendering Context");
}

// The refresh rate of the monitor the window is on (60 when it does not say) and,
// unless one picture per pass is wanted, a swap that waits for it
// (WGL_EXT_swap_control).
void findFrameRate(GLWindow& w) {
    w.refreshRate = 60;
    MONITORINFOEXA monitor;
    std::memset(&monitor, 0, sizeof monitor);
    monitor.cbSize = sizeof monitor;
    DEVMODEA mode;
    std::memset(&mode, 0, sizeof mode);
    mode.dmSize = sizeof mode;
    if (GetMonitorInfoA(MonitorFromWindow(hwndOf(w), MONITOR_DEFAULTTOPRIMARY), &monitor) &&
        EnumDisplaySettingsA(monitor.szDevice, ENUM_CURRENT_SETTINGS, &mode) && mode.dmDisplayFrequency > 1)
        w.refreshRate = static_cast<int32_t>(mode.dmDisplayFrequency);
    using SwapInterval = BOOL(WINAPI*)(int);
    auto swapInterval =
        reinterpret_cast<SwapInterval>(reinterpret_cast<void (*)()>(wglGetProcAddress("wglSwapIntervalEXT")));
    w.vsync = !w.classicPacing && swapInterval && swapInterval(1);
}

} // namespace

bool GLWindow::create() {
    activeWindow = this;
    windowGone = false;
    desktopFullScreen = DesktopFullScreen();
    if (desktopResolution) {
        // The desktop's size of the monitor the window opens on.
        RECT area = monitorRect(nullptr);
        width = area.right - area.left;
        height = area.bottom - area.top;
    }
    instance = GetModuleHandleA(nullptr);
    registerWindowClass(static_cast<HINSTANCE>(instance));
    window = createHiddenWindow(*this, chooseStyles(fullScreen));
    if (!window)
        failCreate(*this, "Window Creation GError.Error");
    createRenderContext(*this);
    // A full-screen window stays hidden until enterFullScreen.
    if (!fullScreen) {
        ShowWindow(hwndOf(*this), desktopResolution ? SW_MAXIMIZE : SW_SHOW);
        SetForegroundWindow(hwndOf(*this));
        SetFocus(hwndOf(*this));
    }
    findFrameRate(*this);
    glViewport(0, 0, width, height);
    return true;
}

void GLWindow::enterFullScreen() {
    if (desktopResolution) {
        coverMonitor(hwndOf(*this));
        SetForegroundWindow(hwndOf(*this));
        SetFocus(hwndOf(*this));
        return;
    }
    // 1.
    DEVMODEA screenSettings;
    std::memset(&screenSettings, 0, sizeof screenSettings);
    screenSettings.dmSize = sizeof screenSettings;
    screenSettings.dmPelsWidth = static_cast<DWORD>(width);
    screenSettings.dmPelsHeight = static_cast<DWORD>(height);
    screenSettings.dmBitsPerPel = static_cast<DWORD>(bitsPerPixel);
    screenSettings.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;

    // 2. If the mode can't be set, the viewer may go on in the window as created.
    if (ChangeDisplaySettingsA(&screenSettings, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL) {
        if (logconsole::askYesNo("The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use "
                                 "Windowed Mode Instead?",
                                 "VORNIK"))
            fullScreen = false;
        else
            gLog.error("Program Will Now Close");
    }

    // 3.
    ShowWindow(hwndOf(*this), SW_SHOW);
    SetForegroundWindow(hwndOf(*this));
    SetFocus(hwndOf(*this));
}

void GLWindow::present() {
    MSG message;
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quitRequested = true;
            SwapBuffers(hdcOf(*this));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    SwapBuffers(hdcOf(*this));
}

int32_t GLWindow::keyPressed(int virtualKey) {
    return static_cast<int32_t>(GetAsyncKeyState(virtualKey));
}

void GLWindow::destroy() {
    destroying = true;

    // 1. Back to the desktop's display mode.
    if (fullScreen) {
        if (changesDisplayMode())
            ChangeDisplaySettingsA(nullptr, 0);
        ShowCursor(TRUE);
    }

    // 2.
    if (renderContext) {
        if (!wglMakeCurrent(nullptr, nullptr))
            gLog.error("Release Of DC And RC Failed");
        if (!wglDeleteContext(hglrcOf(*this)))
            gLog.error("Release Rendering Context Failed");
        renderContext = nullptr;
    }

    // 3. and 4. (a window the system already destroyed took its device context along)
    if (windowGone) {
        deviceContext = nullptr;
        window = nullptr;
    }
    if (deviceContext) {
        if (!ReleaseDC(hwndOf(*this), hdcOf(*this)))
            gLog.error("Release Device Context Failed");
        deviceContext = nullptr;
    }
    if (window) {
        if (!DestroyWindow(hwndOf(*this)))
            gLog.error("Could Not Release hWnd");
        window = nullptr;
    }

    // 5.
    if (!UnregisterClassA(CLASS_NAME, static_cast<HINSTANCE>(instance)))
        gLog.error("Could Not Unregister Class");
    instance = nullptr;

    // 6.
    std::fputs("[USER]->Exit program\n", stdout);
    std::fflush(stdout);
    destroying = false;
}

void GLWindow::setTitle(const char* text) {
    if (window)
        SetWindowTextA(hwndOf(*this), text);
}
