// Full screen through SDL under Xvfb (a 1280 x 1024 screen offering only that mode):
// the window fills the screen when the mode exists, and otherwise the viewer is asked
// whether to go on in a window. The question is answered by pressing a key in it.
#include "app/gl_window.h"
#include "render/gl.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdio>
#include <string>

namespace {

// Waits for the question box (a top-level window titled "VORNIK") and presses `key`
// in it. A shell started beforehand does this, so the test process itself runs no
// second thread while SDL shows the box (SDL forks to show it).
class BoxAnswer {
  public:
    explicit BoxAnswer(const std::string& key) {
        std::string script = "for i in $(seq 300); do "
                             "id=$(xwininfo -root -tree | awk '/\"VORNIK\"/ {print $1; exit}'); "
                             "if [ -n \"$id\" ]; then sleep 0.2; xdotool windowfocus --sync $id key " +
                             key + "; exit $?; fi; sleep 0.05; done; exit 1";
        helper_ = popen(script.c_str(), "r");
    }
    ~BoxAnswer() { answered(); }
    // Waits for the helper; true when it found the box and pressed the key.
    bool answered() {
        if (helper_) {
            answered_ = pclose(helper_) == 0;
            helper_ = nullptr;
        }
        return answered_;
    }

  private:
    FILE* helper_ = nullptr;
    bool answered_ = false;
};

SDL_Window* window() {
    return static_cast<SDL_Window*>(gWindow.window);
}

class FullScreenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        gWindow.setDefaults();
        gWindow.fullScreen = true;
    }
    void TearDown() override {
        if (gWindow.window) {
            testing::internal::CaptureStdout();
            gWindow.destroy();
            testing::internal::GetCapturedStdout();
        }
    }
    SDL_DisplayMode desktop() {
        SDL_DisplayMode mode;
        SDL_GetCurrentDisplayMode(0, &mode);
        return mode;
    }
};

TEST_F(FullScreenTest, FillsTheScreenWhenTheModeExists) {
    gWindow.width = 1280;
    gWindow.height = 1024;
    ASSERT_TRUE(gWindow.create());
    EXPECT_FALSE(SDL_GetWindowFlags(window()) & SDL_WINDOW_SHOWN) << "hidden until full screen";
    gWindow.enterFullScreen();
    EXPECT_TRUE(gWindow.fullScreen);
    Uint32 flags = SDL_GetWindowFlags(window());
    EXPECT_TRUE(flags & SDL_WINDOW_FULLSCREEN);
    EXPECT_TRUE(flags & SDL_WINDOW_SHOWN);
    int x = -1, y = -1, w = 0, h = 0;
    SDL_GetWindowPosition(window(), &x, &y);
    SDL_GL_GetDrawableSize(window(), &w, &h);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(w, 1280);
    EXPECT_EQ(h, 1024);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 1280);
    EXPECT_EQ(viewport[3], 1024);

    testing::internal::CaptureStdout();
    gWindow.destroy();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[USER]->Exit program\n");
    EXPECT_EQ(gWindow.window, nullptr);
}

// The dialog's desktop choice: the screen's own size, full screen on the desktop (no
// mode to look for, no question), and the picture shaped for the drawable.
TEST_F(FullScreenTest, DesktopChoiceCoversTheScreenAtItsOwnSize) {
    gWindow.desktopResolution = true;
    ASSERT_TRUE(gWindow.create());
    EXPECT_EQ(gWindow.width, 1280);
    EXPECT_EQ(gWindow.height, 1024);
    gWindow.enterFullScreen();
    Uint32 flags = SDL_GetWindowFlags(window());
    EXPECT_EQ(flags & SDL_WINDOW_FULLSCREEN_DESKTOP, static_cast<Uint32>(SDL_WINDOW_FULLSCREEN_DESKTOP));
    EXPECT_TRUE(flags & SDL_WINDOW_SHOWN);
    EXPECT_EQ(gWindow.drawableWidth, 1280);
    EXPECT_EQ(gWindow.drawableHeight, 1024);
    EXPECT_EQ(desktop().w, 1280);
}

TEST_F(FullScreenTest, UnsupportedModeAnsweredYesGoesOnInTheWindow) {
    gWindow.width = 800;
    gWindow.height = 600;
    ASSERT_TRUE(gWindow.create());
    {
        BoxAnswer yes("Return");
        gWindow.enterFullScreen();
        EXPECT_TRUE(yes.answered());
    }
    EXPECT_FALSE(gWindow.fullScreen);
    Uint32 flags = SDL_GetWindowFlags(window());
    EXPECT_FALSE(flags & SDL_WINDOW_FULLSCREEN);
    EXPECT_TRUE(flags & SDL_WINDOW_SHOWN);
    EXPECT_TRUE(flags & SDL_WINDOW_BORDERLESS);
    int x = -1, y = -1, w = 0, h = 0;
    SDL_GetWindowPosition(window(), &x, &y);
    SDL_GetWindowSize(window(), &w, &h);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    EXPECT_EQ(desktop().w, 1280) << "the display mode is left alone";
}

TEST_F(FullScreenTest, UnsupportedModeAnsweredNoEndsTheProgram) {
    gWindow.width = 640;
    gWindow.height = 480;
    ASSERT_TRUE(gWindow.create());
    BoxAnswer no("Escape");
    EXPECT_EQ(fatalTextOf([] { gWindow.enterFullScreen(); }), "Program Will Now Close");
    EXPECT_TRUE(no.answered());
    EXPECT_EQ(desktop().w, 1280);
}

} // namespace
