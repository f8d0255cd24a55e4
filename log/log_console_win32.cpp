// Console output on Windows: a modeless dialog (template 111) whose text box receives
// each message as a line of its own, and a message box for an error text.
#include "log/log.h"

#include "log/log_console_ids.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

// Cancel, the system menu's Close and the close box all arrive as IDCANCEL: the
// dialog goes, and the whole program ends. Every message is left to the default
// dialog handling as well.
INT_PTR CALLBACK consoleProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        DestroyWindow(dialog);
        std::exit(0);
    }
    return 0;
}

// While a Yes/No box is up: a message box without a Cancel button ignores Escape, so
// Escape is turned into No here.
HHOOK questionHook = nullptr;

LRESULT CALLBACK escapeMeansNo(int code, WPARAM wParam, LPARAM lParam) {
    const MSG* message = reinterpret_cast<const MSG*>(lParam);
    if (code == MSGF_DIALOGBOX && message->message == WM_KEYDOWN && message->wParam == VK_ESCAPE) {
        // Only a key meant for the box itself (a dialog window): the box's loop also
        // carries the messages of the program's other windows.
        HWND box = GetAncestor(message->hwnd, GA_ROOT);
        char className[16] = "";
        GetClassNameA(box, className, sizeof className);
        if (std::strcmp(className, "#32770") == 0) {
            PostMessageA(box, WM_COMMAND, IDNO, 0);
            return 1;
        }
    }
    return CallNextHookEx(questionHook, code, wParam, lParam);
}

} // namespace

namespace logconsole {

bool askYesNo(const char* text, const char* caption) {
    questionHook = SetWindowsHookExA(WH_MSGFILTER, escapeMeansNo, nullptr, GetCurrentThreadId());
    int answer = MessageBoxA(nullptr, text, caption, MB_YESNO | MB_ICONEXCLAMATION | MB_SETFOREGROUND);
    if (questionHook)
        UnhookWindowsHookEx(questionHook);
    questionHook = nullptr;
    return answer == IDYES;
}

bool open(Log& log) {
    HWND console = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CONSOLE), nullptr,
                                      consoleProcedure, 0);
    log.consoleWindow = console;
    ShowWindow(console, SW_SHOW);
    HWND text = GetDlgItem(console, IDC_CONSOLE_TEXT);
    log.consoleText = text;
    if (!text)
        return false;
    // The default limit (30000 characters) would silently drop the rest of a long log.
    SendMessageA(text, EM_SETLIMITTEXT, 0, 0);
    return true;
}

void append(Log& log, const char* text) {
    HWND edit = static_cast<HWND>(log.consoleText);
    SendMessageA(edit, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(text));
    SendMessageA(edit, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("\r"));
    SendMessageA(edit, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("\n"));
}

void showError(const char* text) {
    MessageBoxA(nullptr, text, "ERROR: ", MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST);
}

bool errorsReachSomeone() {
    // A GUI program started by Explorer or a shortcut has no standard error at all.
    HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
        return false;
    DWORD type = GetFileType(handle);
    if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE)
        return true;
    DWORD mode;
    return type == FILE_TYPE_CHAR && GetConsoleMode(handle, &mode); // a console, not NUL
}

} // namespace logconsole
