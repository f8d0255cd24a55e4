#include "log/log.h"
#include "log/log_format.h"

#include "log/file_places.h"
#include "log/regular_file.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

Log::FatalHandler fatalHandler = nullptr;
const char* scopeDetail = nullptr;

// The text, a line end unless it has one, and the detail on a line of its own.
std::string withDetail(const char* text, const char* detail) {
    std::string shown = text;
    if (detail && *detail) {
        if (shown.empty() || shown.back() != '\n')
            shown += '\n';
        shown += detail;
    }
    return shown;
}

// A framed banner line: an asterisk, the text, blanks up to 32 characters.
std::string bannerLine(const char* text) {
    std::string line = "*";
    line += text;
    if (line.size() < 32)
        line.append(32 - line.size(), ' ');
    return line;
}

} // namespace

#if defined(__GNUC__) && !defined(_WIN32)
__attribute__((weak))
#endif
bool logFileWanted() {
    return true;
}

Log gLog(logFileWanted() ? Log::FILE_OUTPUT : 0, Log::Deferred{});

namespace {
// Destroyed at exit before the streams are closed: a log that could not be written
// out is said while standard error is still there.
struct FlushLogAtExit {
    ~FlushLogAtExit() { gLog.flushFile(); }
} flushLogAtExit;
} // namespace

void Log::setFatalHandler(FatalHandler handler) {
    fatalHandler = handler;
}

Log::Log(int flags_, Deferred) : flags(flags_) {
    deferred_ = (flags & FILE_OUTPUT) != 0;
    writeBanner();
}

Log::Log(int flags_) : flags(flags_) {
    if (flags & FILE_OUTPUT)
        openFile();
    writeBanner();
}

void Log::writeBanner() {
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
    constructed_ = true;
}

void Log::openFile() {
    if (file || !(flags & FILE_OUTPUT) || (!deferred_ && constructed_))
        return;
    deferred_ = false;
    // A log that can't be created leaves the file output off; nothing else fails.
    // It is opened without waiting: a FIFO of that name must not hold up the start.
    std::string problem;
    const std::string path = places::logFilePath(problem);
    FileProblem openProblem = FileProblem::None;
    file = path.empty() ? nullptr : openRegularFile(path.c_str(), FileAccess::WriteText, &openProblem);
    filePath = path;
    places::reportLogFile(path, problem, file ? nullptr : fileProblemText(openProblem));
    if (file && std::fputs(pending_.c_str(), file) == EOF)
        fileFailed(errno);
    pending_.clear();
    pending_.shrink_to_fit();
}

void Log::writeText(const char* text) {
    if (flags & CONSOLE)
        logconsole::append(*this, text);
    if (deferred_ && !constructed_) {
        pending_ += text;
        return;
    }
    if (deferred_)
        openFile();
    if ((flags & FILE_OUTPUT) && file && std::fputs(text, file) == EOF)
        fileFailed(errno);
}

void Log::fileFailed(int error) {
    if (fileFailed_)
        return;
    fileFailed_ = true;
    std::fprintf(stderr, "Can't write the log file \"%s\": %s.\n", filePath.c_str(), std::strerror(error));
}

void Log::flushFile() {
    if (file && std::fflush(file) != 0)
        fileFailed(errno);
}

void Log::message(const char* format, ...) {
    char buffer[LOG_BUFFER_SIZE];
    va_list args;
    va_start(args, format);
    formatText(buffer, sizeof buffer, format, args);
    va_end(args);
    writeText(buffer);
}

Log::DetailScope::DetailScope(const char* detail) : previous_(scopeDetail) {
    scopeDetail = detail;
}

Log::DetailScope::~DetailScope() {
    scopeDetail = previous_;
}

void Log::error(const char* format, ...) {
    char buffer[LOG_BUFFER_SIZE];
    va_list args;
    va_start(args, format);
    formatText(buffer, sizeof buffer, format, args);
    va_end(args);
    fail(buffer, scopeDetail);
}

void Log::errorWithDetail(const char* detail, const char* format, ...) {
    char buffer[LOG_BUFFER_SIZE];
    va_list args;
    va_start(args, format);
    formatText(buffer, sizeof buffer, format, args);
    va_end(args);
    fail(buffer, detail);
}

void Log::fail(const char* buffer, const char* detail) {
    // The text reaches each enabled output once; the detail is for the person only.
    writeText(buffer);
    std::string shown = withDetail(buffer, detail);
    if (flags & CONSOLE) {
        logconsole::showError(shown.c_str());
    } else {
        // Without a console a person who started the program from a terminal
        // still sees why it stopped.
        std::fputs(shown.c_str(), stderr);
        if (shown.empty() || shown.back() != '\n')
            std::fputc('\n', stderr);
        if (boxWithoutTerminal && !logconsole::errorsReachSomeone())
            logconsole::showError(shown.c_str());
    }
    flushFile();
    std::fflush(stdout);
    std::fflush(stderr);
    if (fatalHandler)
        fatalHandler(buffer);
    std::exit(1);
}
