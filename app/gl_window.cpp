// The settings and the launch of the render window, the same on every platform; the
// window itself is made in the platform's gl_window_*.cpp.
#include "app/gl_window.h"

#include "audio/music_window.h"

#include <cstdlib>

bool musicWindowIsOpen() {
    return gWindow.window != nullptr;
}

void GLWindow::setDefaults() {
    width = 640;
    height = 480;
    fullScreen = false;
    desktopResolution = false;
    bitsPerPixel = 32;
    cancelled = false;
}

bool GLWindow::setup() {
    runLaunchDialog(*this);
    if (cancelled)
        std::exit(1);
    return create();
}
