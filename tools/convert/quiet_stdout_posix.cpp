#include "quiet_stdout.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace convert {

QuietStdout::QuietStdout() {
    std::fflush(stdout);
    int sink = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (sink < 0)
        return;
    saved_ = dup(STDOUT_FILENO);
    if (saved_ >= 0 && dup2(sink, STDOUT_FILENO) < 0) {
        close(saved_);
        saved_ = -1;
    }
    close(sink);
}

QuietStdout::~QuietStdout() {
    if (saved_ < 0)
        return;
    std::fflush(stdout);
    dup2(saved_, STDOUT_FILENO);
    close(saved_);
}

} // namespace convert
