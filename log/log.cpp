#include "log/log.h"
#include "log/log_format.h"

#include "log/file_places.h"

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

Log::FatalHandler fatalHandler = nullptr;

// A framed banner line: an asterisk, the text, blanks up to 32 characters.
std::string bannerLine(const char* text) {
    std::string line = "*";
    line += text;
    if (line.size() < 32)
        line.append(32 - line.size(), ' ');
    return line;
}

} // namespace

Log gLog(Log::FILE_OUTPUT);

void Log::setFatalHandler(FatalHandler handler) { fatalHandler = handler; }

Log::Log(int flags_) : flags(flags_) {
    if (flags & FILE_OUTPUT) {
        // A log that can't be created leaves the file output off; nothing else fails.
        std::string problem;
        const std::string path = places::logFilePath(problem);
        file = path.empty() ? nullptr : std::fopen(path.c_str(), "wt");
        places::reportLogFile(path, problem, file ? 0 : errno);
    }
    if (flags & CONSOLE) {
        if (!logconsole::open(*this))
            std::exit(1);
    }
    static const char* const framed[] = {
        "     VORNIK QUARN Project",
        "",
        "  Code:    VORNIK",
        "  Music:   VORNIK",
        "",
        "  3d art:  VORNIK",
        "",
        "  Contact: vornik@example.org",
        "",
    };
    message("%s", "----------- LoggStarted -----------");
    message("%s", "*********************************");
    for (const char* text : framed)
        message("%s", bannerLine(text).c_str());
    message("%s", "*********************************");
}

void Log::writeText(const char* text) {
    if (flags & CONSOLE)
        logconsole::append(*this, text);
    if ((flags & FILE_OUTPUT) && file)
        std::fputs(text, file);
}

void Log::message(const char* format, ...) {
    char buffer[LOG_BUFFER_SIZE];
    va_list args;
    va_start(args, format);
    formatText(buffer, sizeof buffer, format, args);
    va_end(args);
    writeText(buffer);
}

void Log::error(const char* format, ...) {
    char buffer[LOG_BUFFER_SIZE];
    va_list args;
    va_start(args, format);
    formatText(buffer, sizeof buffer, format, args);
    va_end(args);

    // The text reaches each enabled output once.
    writeText(buffer);
    if (flags & CONSOLE) {
        logconsole::showError(buffer);
    } else {
        // Without a console a person who started the program from a terminal
        // still sees why it stopped.
        std::fputs(buffer, stderr);
        size_t length = std::strlen(buffer);
        if (length == 0 || buffer[length - 1] != '\n')
            std::fputc('\n', stderr);
    }
    if (file)
        std::fflush(file);
    std::fflush(stdout);
    std::fflush(stderr);
    if (fatalHandler)
        fatalHandler(buffer);
    std::exit(1);
}
