// The one diagnostics channel of the program: progress text through message(),
// fatal conditions through error(), which ends the process with exit status 1.
#pragma once

#include <cstdio>
#include <string>

class Log {
  public:
    enum : int { CONSOLE = 1, FILE_OUTPUT = 2 };

    // Opens the outputs selected by flags and writes the banner.
    explicit Log(int flags);
    // As Log(flags), but the file is opened by openFile(), or at the first text written
    // after the banner, so that a run that only answers --help or --version leaves no log.
    struct Deferred {};
    Log(int flags, Deferred);
    Log(const Log&) = delete;
    Log& operator=(const Log&) = delete;

    // Opens the deferred log file and writes the banner kept for it (once).
    void openFile();

    // When set, a fatal error is also shown in a message box when the program has no
    // terminal to tell it on (started from a menu or a file manager).
    bool boxWithoutTerminal = false;

    // printf-style progress text, written unchanged (no line end added).
    void message(const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;

    // printf-style fatal text: written to the enabled outputs and to standard error,
    // then the process ends with exit status 1.
    [[noreturn]] void error(const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;

    // As error(), and `detail` (what a person needs to know beside the logged text: which
    // file, why, what to do) follows the text on standard error and in the error box. The
    // log file holds the formatted text only.
    [[noreturn]] void errorWithDetail(const char* detail, const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 3, 4)))
#endif
        ;

    // While alive, errors that come without a detail of their own show this one (for
    // example the file being read). Scopes nest; the innermost one counts.
    class DetailScope {
      public:
        explicit DetailScope(const char* detail);
        ~DetailScope();
        DetailScope(const DetailScope&) = delete;
        DetailScope& operator=(const DetailScope&) = delete;

      private:
        const char* previous_;
    };

    // Called by error() instead of ending the process, when set. Meant for tests and
    // fuzzers that need to observe a fatal path; the handler must not return
    // (it throws or jumps). When it returns anyway the process still ends.
    using FatalHandler = void (*)(const char* text);
    static void setFatalHandler(FatalHandler handler);

    // Writes out what the log file holds in its buffer. A log file that can't be
    // written (a full disk, a write error) is said once on standard error; the run
    // goes on without it. Called by error() and, for gLog, at exit.
    void flushFile();

    int flags;
    void* consoleWindow = nullptr;
    void* consoleText = nullptr;
    std::FILE* file = nullptr;
    std::string filePath; // the log file's name, for the message about it

  private:
    void writeText(const char* text);
    void fileFailed(int error);
    bool fileFailed_ = false;
    void writeBanner();
    bool deferred_ = false; // the file is yet to be opened; the banner waits in pending_
    bool constructed_ = false;
    std::string pending_;
    [[noreturn]] void fail(const char* text, const char* detail);
};

// Formatted text is cut to this many characters (one byte is kept for the terminator).
constexpr int LOG_BUFFER_SIZE = 1024;

// The process-wide log, built during static initialisation with file output only.
extern Log gLog;

// Whether gLog writes the log file. A program that keeps no log (the model converter,
// whose shared code only reaches the log on paths it never takes) defines its own
// logFileWanted() returning false; everyone else gets this default, true.
bool logFileWanted();

// Platform side of the console output (log_console_*.cpp).
namespace logconsole {
// Creates the console; returns false when its text output can't be found.
bool open(Log& log);
// Appends one message to the console as a line of its own.
void append(Log& log, const char* text);
// Shows an error text in a blocking message box captioned "ERROR: ".
void showError(const char* text);
// Asks a question in a blocking Yes/No box (Enter is Yes, Escape is No); true for Yes.
// A box that can't be shown counts as No.
bool askYesNo(const char* text, const char* caption);
// True when standard error leads to a person or a file: a terminal, a console, a pipe
// or a file; false when nobody would read it (closed, the null device, a system log).
bool errorsReachSomeone();
} // namespace logconsole
