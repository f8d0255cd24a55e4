// Console output on Linux: each message becomes a line on standard error, and an
// error text is shown in a message box.
#include "log/log.h"

#include <SDL.h>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace logconsole {

bool open(Log&) {
    return true;
}

void append(Log&, const char* text) {
    std::fputs(text, stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

void showError(const char* text) {
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "ERROR: ", text, nullptr);
}

bool askYesNo(const char* text, const char* caption) {
    const SDL_MessageBoxButtonData buttons[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"},
    };
    SDL_MessageBoxData box;
    std::memset(&box, 0, sizeof box);
    box.flags = SDL_MESSAGEBOX_WARNING;
    box.title = caption;
    box.message = text;
    box.numbuttons = 2;
    box.buttons = buttons;
    int answer = 0;
    // A box that can't be shown counts as No: nothing was agreed to.
    return SDL_ShowMessageBox(&box, &answer) == 0 && answer == 1;
}

bool errorsReachSomeone() {
    if (isatty(STDERR_FILENO))
        return true;
    struct stat info;
    if (fstat(STDERR_FILENO, &info) != 0)
        return false;
    // A desktop's launcher hands the program a socket to the system log, or the null device.
    return S_ISREG(info.st_mode) || S_ISFIFO(info.st_mode);
}

} // namespace logconsole
