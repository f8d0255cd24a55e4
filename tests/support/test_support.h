// Helpers shared by the tests.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

// Thrown by the fatal handler that FatalCapture installs.
struct FatalError : std::runtime_error {
    explicit FatalError(const std::string& text) : std::runtime_error(text) {}
};

// While alive, Log::error throws FatalError instead of ending the process.
class FatalCapture {
public:
    FatalCapture();
    ~FatalCapture();
};

// Runs fn and returns the text of the fatal error it raised, or "<no error>".
std::string fatalTextOf(const std::function<void()>& fn);

// Marks the current end of the log file; text() returns what was written since.
class LogMark {
public:
    LogMark();
    std::string text() const;

private:
    long offset_;
};

// Whole contents of a file ("" when it can't be read).
std::string readFileText(const std::string& path);
bool writeFileBytes(const std::string& path, const std::vector<unsigned char>& bytes);
bool writeFileText(const std::string& path, const std::string& text);

// Source tree paths, from the environment ctest sets (falls back to the build's own).
std::string sourceDir();
std::string binaryDir();
// The shared sample folder beside the checkout; "" when absent.
std::string sharedSamplesDir();
