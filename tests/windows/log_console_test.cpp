// The log console (template 111): lines in its text box, its limit, Cancel, and the
// error box.
#include "log/log_console_ids.h"
#include "log/log.h"
#include "win32_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string consoleText(const Log& log) {
    HWND edit = static_cast<HWND>(log.consoleText);
    int length = GetWindowTextLengthA(edit);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    GetWindowTextA(edit, &text[0], length + 1);
    text.resize(static_cast<size_t>(length));
    return text;
}

// Runs fn in a folder of its own, so a Log there can't touch another's file.
void inTempDir(const std::function<void(const std::string&)>& fn) {
    char old[MAX_PATH];
    GetCurrentDirectoryA(sizeof old, old);
    std::string dir = makeTempDir();
    SetCurrentDirectoryA(dir.c_str());
    fn(dir);
    SetCurrentDirectoryA(old);
}

} // namespace

TEST(LogConsole, EachMessageStandsOnItsOwnLineAndNoFileIsMade) {
    inTempDir([](const std::string& dir) {
        Log log(Log::CONSOLE);
        HWND console = static_cast<HWND>(log.consoleWindow);
        ASSERT_NE(console, nullptr);
        char title[64] = "";
        GetWindowTextA(console, title, sizeof title);
        EXPECT_STREQ(title, "--- THE QUARN PROJECT ---");
        EXPECT_TRUE(IsWindowVisible(console));
        EXPECT_EQ(GetDlgItem(console, IDC_CONSOLE_TEXT), static_cast<HWND>(log.consoleText));

        std::string banner = consoleText(log);
        EXPECT_EQ(
            banner.rfind("----------- LoggStarted -----------\r\n*********************************\r\n", 0),
            0u)
            << banner;
        log.message("[#] Material Name: %s\n", "50%_grey");
        log.message("no line end");
        EXPECT_EQ(consoleText(log).substr(banner.size()), "[#] Material Name: 50%_grey\n\r\nno line end\r\n");
        EXPECT_EQ(GetFileAttributesA((dir + "\\QuarnWin32.log").c_str()), INVALID_FILE_ATTRIBUTES);
        DestroyWindow(console);
    });
}

TEST(LogConsole, ALongLogIsNotCutAtTheTextBoxDefaultLimit) {
    inTempDir([](const std::string&) {
        Log log(Log::CONSOLE);
        size_t before = consoleText(log).size();
        const std::string line(1000, 'x'); // 40 of them hold more than the default 30000
        for (int i = 0; i < 40; ++i)
            log.message("%s", line.c_str());
        std::string text = consoleText(log);
        EXPECT_EQ(text.size(), before + 40 * 1002);
        EXPECT_EQ(text.substr(text.size() - 1002), line + "\r\n");
        DestroyWindow(static_cast<HWND>(log.consoleWindow));
    });
}

TEST(LogConsoleDeathTest, CancelEndsTheProgramWithStatusZero) {
    EXPECT_EXIT(
        {
            Log log(Log::CONSOLE);
            HWND console = static_cast<HWND>(log.consoleWindow);
            SendMessageA(GetDlgItem(console, IDCANCEL), BM_CLICK, 0, 0);
            pumpMessages(2000);
            std::exit(7); // not reached when Cancel works
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(LogConsoleDeathTest, ErrorShowsABoxCaptionedErrorThenEnds) {
    EXPECT_EXIT(
        {
            Log log(Log::CONSOLE | Log::FILE_OUTPUT);
            afterDelay(200, [] {
                HWND box = findOwnWindow("ERROR: ");
                if (!box)
                    std::exit(3);
                char text[64] = "";
                GetDlgItemTextA(box, 0xFFFF, text, sizeof text); // the box's static text
                std::fprintf(stderr, "box says %s\n", text);
                PostMessageA(box, WM_COMMAND, IDOK, 0);
            });
            log.error("Faild to allocate memory");
        },
        ::testing::ExitedWithCode(1), "box says Faild to allocate memory");
}
