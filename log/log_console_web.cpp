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

// The page's own confirm box: OK is Yes, Cancel (or Escape) is No.
bool askYesNo(const char* text, const char* caption) {
    return EM_ASM_INT({ return window.confirm(UTF8ToString($1) + "\n\n" + UTF8ToString($0)) ? 1 : 0; }, text,
                      caption) != 0;
}

// Standard error is the page's log view, which the page always shows.
bool errorsReachSomeone() {
    return true;
}

} // namespace logconsole
