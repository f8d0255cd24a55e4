// Console output in the browser: each message becomes a line on standard error (the
// page shows it in its log view), and an error text goes to the page to show.
#include "log/log.h"

#include <cstdio>
#include <emscripten.h>

namespace logconsole {

bool open(Log&) {
    return true;
}

void append(Log&, const char* text) {
    std::fputs(text, stderr);
    std::fputc('\n', stderr);
}

void showError(const char* text) {
    EM_ASM(
        {
            if (Module.quarnShowError)
                Module.quarnShowError(UTF8ToString($0));
        },
        text);
}

} // namespace logconsole
