// What a conversion says to its author: one line per thing carried over, placed
// or lost, printed in order when the conversion ends.
#pragma once

#include <string>
#include <vector>

namespace convert {

struct Report {
    std::vector<std::string> lines;
    std::vector<std::string> lost; // things that could not be carried over

    void say(const std::string& line) { lines.push_back(line); }
    void lose(const std::string& what) { lost.push_back(what); }
    // All lines, the losses last, each ending with a line end.
    std::string text() const;
};

// printf-style formatting into a std::string.
std::string format(const char* fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

} // namespace convert
