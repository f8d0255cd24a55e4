// Entry point on Windows: the same demo driver as on Linux, in the one GUI thread.
#include "app/demo_driver.h"
#include "app/gl_window.h"
#include "audio/music_player.h"
#include "log/file_places.h"
#include "log/log.h"
#include "scene/scene_loader.h"

#include <windows.h>

#include <mmsystem.h>
#include <stdlib.h>

namespace {

bool askToPlayWithoutMusic() {
    return logconsole::askYesNo("No sound device could be opened. Play without music?", "VORNIK");
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // A failed assert in a GUI program would wait for a dialog nobody sees when run
    // unattended; let it write to standard error and end instead.
    _set_error_mode(_OUT_TO_STDERR);
    // Started from another folder (a shortcut's "Start in", a prompt elsewhere), the
    // files beside quarn.exe are the ones to use; the log goes there too (opened after).
    const std::string data = places::installedDataFolder();
    const bool entered = data.empty() || SetCurrentDirectoryA(data.c_str());
    gLog.openFile();
    gLog.boxWithoutTerminal = true;
    SceneLoader::missingFileAdvice =
        "The demo reads its files (scene1.3ds .. scene6.3ds, their textures, demo.mp3) from the "
        "working folder, or from the folder of quarn.exe when the working folder has no "
        "scene1.3ds: keep every file of the zip beside quarn.exe.";
    MusicPlayer::playWithoutDevice = askToPlayWithoutMusic;
    if (!entered)
        gLog.errorWithDetail(("Can't enter the folder " + data + ".").c_str(), "Ops! Could't found");
    // The pass pacing sleeps for the coarse part of each 20 ms pass: with the default
    // 15.6 ms timer a sleep overshoots by up to a tick. One millisecond keeps it exact.
    timeBeginPeriod(1);
    int exitCode = runDemo(gWindow);
    timeEndPeriod(1);
    return exitCode;
}
