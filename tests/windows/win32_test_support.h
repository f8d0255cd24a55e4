// Helpers for the Windows tests: observing fatal errors, acting inside modal loops,
// temporary folders.
#pragma once

#include <windows.h>

#include <functional>
#include <stdexcept>
#include <string>

// While alive, Log::error throws FatalText instead of ending the process.
struct FatalText : std::runtime_error {
    explicit FatalText(const std::string& text) : std::runtime_error(text) {}
};
class FatalThrows {
  public:
    FatalThrows();
    ~FatalThrows();
};

// Runs fn once, about `milliseconds` from now, from the message loop of this thread:
// also from inside a modal dialog or message box that is running by then.
// Returns an id for cancelDelay.
UINT_PTR afterDelay(unsigned milliseconds, std::function<void()> fn);
void cancelDelay(UINT_PTR id);

// A top-level window of this process with the given caption, or nullptr.
HWND findOwnWindow(const char* caption);

// A fresh empty folder under the temporary folder.
std::string makeTempDir();

// Pumps this thread's messages for about `milliseconds`, a quit message included.
// A test that shows a modal box or dialog starts with this: a quit message left by
// an earlier test's window would end the modal loop at once.
void pumpMessages(unsigned milliseconds);
