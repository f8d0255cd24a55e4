// Entry point on Windows: the same demo driver as on Linux, in the one GUI thread.
#include "app/demo_driver.h"
#include "app/gl_window.h"

#include <windows.h>

#include <mmsystem.h>
#include <stdlib.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // A failed assert in a GUI program would wait for a dialog nobody sees when run
    // unattended; let it write to standard error and end instead.
    _set_error_mode(_OUT_TO_STDERR);
    // The pass pacing sleeps for the coarse part of each 20 ms pass: with the default
    // 15.6 ms timer a sleep overshoots by up to a tick. One millisecond keeps it exact.
    timeBeginPeriod(1);
    int exitCode = runDemo(gWindow);
    timeEndPeriod(1);
    return exitCode;
}
