// Console output on Linux: each message becomes a line on standard error, and an
// error text is shown in a message box.
#include "log/log.h"

#include <SDL.h>
#include <cstdio>

namespace logconsole {

bool open(Log&) { return true; }

void append(Log&, const char* text) {
    std::fputs(text, stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

void showError(const char* text) {
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "ERROR: ", text, nullptr);
}

} // namespace logconsole
