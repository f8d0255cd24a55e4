// The render window: creation as described, message handling, full screen, release.
#include "app/gl_window.h"
#include "win32_test_support.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

namespace {

// A window's settings; also clears this thread's queue of what earlier tests left.
GLWindow sized(int width, int height, bool fullScreen = false) {
    pumpMessages(0);
    GLWindow window;
    window.setDefaults();
    window.width = width;
    window.height = height;
    window.fullScreen = fullScreen;
    return window;
}

HWND hwnd(const GLWindow& window) {
    return static_cast<HWND>(window.window);
}

DEVMODEA currentMode() {
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode);
    return mode;
}

} // namespace

TEST(GLWindow, WindowedCreateBuildsTheDescribedWindowAndContext) {
    FatalThrows fatal;
    GLWindow window = sized(400, 300);
    ASSERT_TRUE(window.create());

    WNDCLASSA windowClass;
    ASSERT_TRUE(GetClassInfoA(static_cast<HINSTANCE>(window.instance), "OpenGL", &windowClass));
    EXPECT_EQ(windowClass.style, 0x23u);
    EXPECT_EQ(windowClass.hbrBackground, nullptr);

    char title[128] = "";
    GetWindowTextA(hwnd(window), title, sizeof title);
    EXPECT_STREQ(title, "Vornik glEngine system 0.5 big beta");
    LONG style = GetWindowLongA(hwnd(window), GWL_STYLE);
    const LONG windowed =
        WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    EXPECT_EQ(style & windowed, windowed);
    EXPECT_NE(style & WS_THICKFRAME, 0); // resizable
    EXPECT_TRUE(IsWindowVisible(hwnd(window)));
    LONG exStyle = GetWindowLongA(hwnd(window), GWL_EXSTYLE);
    EXPECT_EQ(exStyle & (WS_EX_APPWINDOW | WS_EX_WINDOWEDGE), WS_EX_APPWINDOW | WS_EX_WINDOWEDGE);

    // The client area is width x height; the frame's corner is centred by the client size.
    RECT client;
    GetClientRect(hwnd(window), &client);
    EXPECT_EQ(client.right, 400);
    EXPECT_EQ(client.bottom, 300);
    RECT frame;
    GetWindowRect(hwnd(window), &frame);
    EXPECT_EQ(frame.left, GetSystemMetrics(SM_CXSCREEN) / 2 - 200);
    EXPECT_EQ(frame.top, GetSystemMetrics(SM_CYSCREEN) / 2 - 150);

    PIXELFORMATDESCRIPTOR format;
    HDC dc = static_cast<HDC>(window.deviceContext);
    ASSERT_NE(DescribePixelFormat(dc, GetPixelFormat(dc), sizeof format, &format), 0);
    EXPECT_TRUE(format.dwFlags & PFD_DOUBLEBUFFER);
    EXPECT_TRUE(format.dwFlags & PFD_SUPPORT_OPENGL);
    EXPECT_EQ(format.iPixelType, PFD_TYPE_RGBA);
    EXPECT_GE(format.cDepthBits, 16);
    EXPECT_EQ(wglGetCurrentContext(), static_cast<HGLRC>(window.renderContext));
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 400);
    EXPECT_EQ(viewport[3], 300);

    HWND released = hwnd(window);
    window.destroy();
    EXPECT_FALSE(IsWindow(released));
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_FALSE(GetClassInfoA(GetModuleHandleA(nullptr), "OpenGL", &windowClass));
    EXPECT_EQ(window.window, nullptr);
    EXPECT_EQ(window.renderContext, nullptr);
}

TEST(GLWindow, ClosingRequestsQuitAndLeavesTheReleaseToDestroy) {
    FatalThrows fatal;
    GLWindow window = sized(320, 240);
    ASSERT_TRUE(window.create());
    PostMessageA(hwnd(window), WM_SYSCOMMAND, SC_CLOSE, 0);
    for (int pass = 0; pass < 20 && !window.quitRequested; ++pass)
        window.present();
    EXPECT_TRUE(window.quitRequested);
    // Still there, so the shutdown releases the context before the window.
    EXPECT_TRUE(IsWindow(hwnd(window)));
    EXPECT_NO_THROW(window.destroy());
}

TEST(GLWindow, PresentTakesOneMessagePerPassAndKeysAreNoQuitRequest) {
    FatalThrows fatal;
    GLWindow window = sized(320, 240);
    ASSERT_TRUE(window.create());
    pumpMessages(100); // whatever creating and showing queued
    for (int i = 0; i < 3; ++i)
        PostMessageA(hwnd(window), WM_USER + 7, 0, 0);
    window.present();
    int left = 0;
    MSG message;
    while (PeekMessageA(&message, hwnd(window), WM_USER + 7, WM_USER + 7, PM_REMOVE))
        ++left;
    EXPECT_EQ(left, 2);

    PostMessageA(hwnd(window), WM_KEYDOWN, 'A', 1);
    window.present();
    EXPECT_FALSE(window.quitRequested);

    pumpMessages(0); // the character message the key press was translated into
    PostQuitMessage(0);
    window.present();
    EXPECT_TRUE(window.quitRequested);
    window.destroy();
}

TEST(GLWindow, KeyPressedSeesAPressThatWasAlreadyReleased) {
    FatalThrows fatal;
    GLWindow window = sized(320, 240);
    ASSERT_TRUE(window.create());
    window.keyPressed(VK_ESCAPE_KEY); // forget any earlier press
    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = VK_ESCAPE;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ASSERT_EQ(SendInput(2, keys, sizeof(INPUT)), 2u);
    window.present();
    EXPECT_NE(window.keyPressed(VK_ESCAPE_KEY), 0);
    EXPECT_EQ(window.keyPressed(VK_ESCAPE_KEY), 0);
    window.destroy();
}

TEST(GLWindow, FullScreenChangesTheModeAndDestroyRestoresIt) {
    FatalThrows fatal;
    DEVMODEA desktop = currentMode();
    GLWindow window = sized(640, 480, true);
    ASSERT_TRUE(window.create());
    EXPECT_FALSE(IsWindowVisible(hwnd(window))); // hidden until enterFullScreen
    LONG style = GetWindowLongA(hwnd(window), GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & WS_CAPTION);
    RECT frame;
    GetWindowRect(hwnd(window), &frame);
    EXPECT_EQ(frame.left, 0);
    EXPECT_EQ(frame.top, 0);

    window.enterFullScreen();
    EXPECT_TRUE(window.fullScreen) << "this display does not offer 640x480";
    EXPECT_TRUE(IsWindowVisible(hwnd(window)));
    DEVMODEA mode = currentMode();
    EXPECT_EQ(mode.dmPelsWidth, 640u);
    EXPECT_EQ(mode.dmPelsHeight, 480u);

    window.destroy();
    mode = currentMode();
    EXPECT_EQ(mode.dmPelsWidth, desktop.dmPelsWidth);
    EXPECT_EQ(mode.dmPelsHeight, desktop.dmPelsHeight);
}

TEST(GLWindow, UnsupportedFullScreenModeAnsweredYesGoesOnInTheWindow) {
    FatalThrows fatal;
    DEVMODEA desktop = currentMode();
    GLWindow window = sized(1000, 700, true); // not a display mode
    ASSERT_TRUE(window.create());
    std::string question;
    afterDelay(200, [&] {
        HWND box = findOwnWindow("VORNIK");
        ASSERT_NE(box, nullptr);
        char text[256] = "";
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text); // the box's static text
        question = text;
        PostMessageA(box, WM_COMMAND, IDYES, 0);
    });
    window.enterFullScreen();
    EXPECT_NE(question.find("The Requested Fullscreen Mode Is Not Supported By"), std::string::npos)
        << question;
    EXPECT_FALSE(window.fullScreen);
    EXPECT_TRUE(IsWindowVisible(hwnd(window)));
    EXPECT_EQ(currentMode().dmPelsWidth, desktop.dmPelsWidth);
    window.destroy();
}

TEST(GLWindowDeathTest, UnsupportedFullScreenModeAnsweredNoEnds) {
    EXPECT_EXIT(
        {
            GLWindow window = sized(1000, 700, true);
            window.create();
            afterDelay(200, [] { PostMessageA(findOwnWindow("VORNIK"), WM_COMMAND, IDNO, 0); });
            window.enterFullScreen();
        },
        ::testing::ExitedWithCode(1), "Program Will Now Close");
}

// The dialog's desktop choice: full screen is a popup covering the monitor at the
// desktop's size, the mode unchanged; F11 leaves it for a maximized framed window and
// the drawable follows every size.
TEST(GLWindow, DesktopFullScreenCoversTheMonitorWithoutAModeChangeAndF11Leaves) {
    FatalThrows fatal;
    DEVMODEA desktop = currentMode();
    GLWindow window = sized(640, 480, true);
    window.desktopResolution = true;
    ASSERT_TRUE(window.create());
    EXPECT_EQ(window.width, static_cast<int32_t>(desktop.dmPelsWidth));
    EXPECT_EQ(window.height, static_cast<int32_t>(desktop.dmPelsHeight));
    window.enterFullScreen();
    RECT frame;
    GetWindowRect(hwnd(window), &frame);
    EXPECT_EQ(frame.left, 0);
    EXPECT_EQ(frame.top, 0);
    EXPECT_EQ(frame.right, static_cast<LONG>(desktop.dmPelsWidth));
    EXPECT_EQ(frame.bottom, static_cast<LONG>(desktop.dmPelsHeight));
    EXPECT_TRUE(GetWindowLongA(hwnd(window), GWL_STYLE) & WS_POPUP);
    EXPECT_EQ(window.drawableWidth, window.width);
    EXPECT_EQ(window.drawableHeight, window.height);
    EXPECT_EQ(currentMode().dmPelsWidth, desktop.dmPelsWidth);

    SendMessageA(hwnd(window), WM_KEYDOWN, VK_F11, 1);
    EXPECT_TRUE(GetWindowLongA(hwnd(window), GWL_STYLE) & WS_CAPTION);
    RECT client;
    GetClientRect(hwnd(window), &client);
    EXPECT_EQ(window.drawableWidth, client.right);
    EXPECT_EQ(window.drawableHeight, client.bottom);
    EXPECT_LT(client.bottom, window.height); // the caption takes its part
    window.destroy();
    EXPECT_EQ(currentMode().dmPelsWidth, desktop.dmPelsWidth);
}

// A window at one of the dialog's sizes keeps the design's picture (no drawable size)
// until it changes size; Alt+Enter covers the monitor and comes back.
TEST(GLWindow, ResizingAndAltEnterGiveTheDrawableItsNewSize) {
    FatalThrows fatal;
    GLWindow window = sized(400, 300);
    ASSERT_TRUE(window.create());
    pumpMessages(100);
    EXPECT_EQ(window.drawableWidth, 0);
    RECT frame = {0, 0, 500, 250};
    AdjustWindowRectEx(&frame, GetWindowLongA(hwnd(window), GWL_STYLE), FALSE,
                       GetWindowLongA(hwnd(window), GWL_EXSTYLE));
    SetWindowPos(hwnd(window), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(window.drawableWidth, 500);
    EXPECT_EQ(window.drawableHeight, 250);

    const LPARAM altDown = 1 | (1L << 29);
    SendMessageA(hwnd(window), WM_SYSKEYDOWN, VK_RETURN, altDown);
    DEVMODEA mode = currentMode();
    EXPECT_EQ(window.drawableWidth, static_cast<int32_t>(mode.dmPelsWidth));
    EXPECT_EQ(window.drawableHeight, static_cast<int32_t>(mode.dmPelsHeight));
    SendMessageA(hwnd(window), WM_SYSKEYDOWN, VK_RETURN, altDown);
    EXPECT_EQ(window.drawableWidth, 500);
    EXPECT_EQ(window.drawableHeight, 250);
    window.destroy();
}
