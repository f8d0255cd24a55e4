#include "app/demo_driver.h"

#include "app/gl_window.h"
#include "app/pacing.h"
#include "render/gl.h"

int runDemo(GLWindow& window) {
    window.setDefaults();
    window.setup();

    if (window.isFullScreen())
        window.enterFullScreen();

    for (;;) {
        uint32_t passStart = tickMilliseconds();
        if (window.keyPressed(VK_ESCAPE_KEY) || window.quitRequested)
            break;
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glFlush();
        window.present();
        waitSince(passStart, PASS_MILLISECONDS);
    }

    window.destroy();
    return 0;
}
