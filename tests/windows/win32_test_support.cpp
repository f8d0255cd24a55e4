#include "win32_test_support.h"

#include "log/log.h"

#include <map>

namespace {

[[noreturn]] void throwFatal(const char* text) {
    throw FatalText(text);
}

std::map<UINT_PTR, std::function<void()>>& pending() {
    static std::map<UINT_PTR, std::function<void()>> timers;
    return timers;
}

void CALLBACK runTimer(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    auto found = pending().find(id);
    if (found == pending().end())
        return;
    std::function<void()> fn = std::move(found->second);
    pending().erase(found);
    fn();
}

struct FindData {
    const char* caption;
    HWND found;
};

BOOL CALLBACK matchCaption(HWND window, LPARAM parameter) {
    FindData& data = *reinterpret_cast<FindData*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char text[256] = "";
    GetWindowTextA(window, text, sizeof text);
    if (process == GetCurrentProcessId() && std::string(text) == data.caption) {
        data.found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

FatalThrows::FatalThrows() {
    Log::setFatalHandler(throwFatal);
}
FatalThrows::~FatalThrows() {
    Log::setFatalHandler(nullptr);
}

UINT_PTR afterDelay(unsigned milliseconds, std::function<void()> fn) {
    UINT_PTR id = SetTimer(nullptr, 0, milliseconds, runTimer);
    pending()[id] = std::move(fn);
    return id;
}

void cancelDelay(UINT_PTR id) {
    KillTimer(nullptr, id);
    pending().erase(id);
}

HWND findOwnWindow(const char* caption) {
    FindData data{caption, nullptr};
    EnumWindows(matchCaption, reinterpret_cast<LPARAM>(&data));
    return data.found;
}

std::string makeTempDir() {
    char base[MAX_PATH];
    GetTempPathA(sizeof base, base);
    static int counter = 0;
    for (;;) {
        std::string dir = std::string(base) + "quarn-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                          std::to_string(++counter);
        if (CreateDirectoryA(dir.c_str(), nullptr))
            return dir;
    }
}

void pumpMessages(unsigned milliseconds) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (GetTickCount() - start >= milliseconds)
            return;
        Sleep(5);
    }
}
