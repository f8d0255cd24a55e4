#include "report.h"

#include <cstdarg>
#include <cstdio>

namespace convert {

std::string Report::text() const {
    std::string out;
    for (const std::string& line : lines)
        out += line + "\n";
    for (const std::string& what : lost)
        out += "not carried over: " + what + "\n";
    return out;
}

std::string format(const char* fmt, ...) {
    char buffer[1024];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(buffer, sizeof buffer, fmt, args);
    va_end(args);
    return buffer;
}

} // namespace convert
