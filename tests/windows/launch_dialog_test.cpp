// The launch dialog from template 101, driven through its real controls inside the
// modal loop of DialogBoxParamA.
#include "app/gl_window.h"
#include "app/resource.h"
#include "win32_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

GLWindow defaults() {
    GLWindow window;
    window.setDefaults();
    return window;
}

// Shows the dialog for `window`; `act` runs inside its modal loop and must end it.
void runDialog(GLWindow& window, std::function<void(HWND)> act) {
    pumpMessages(0);
    bool acted = false;
    UINT_PTR actor = afterDelay(100, [&] {
        HWND dialog = findOwnWindow("THE QUARN PROJECT");
        acted = dialog != nullptr;
        if (dialog)
            act(dialog);
    });
    // A dialog still open after that would wait forever: end it, and fail.
    UINT_PTR guard = afterDelay(3000, [] {
        ADD_FAILURE() << "the dialog did not end";
        EndDialog(findOwnWindow("THE QUARN PROJECT"), 0);
    });
    runLaunchDialog(window);
    cancelDelay(actor);
    cancelDelay(guard);
    EXPECT_TRUE(acted);
}

void click(HWND dialog, int id) {
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

bool checked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

// A key as the keyboard sends it, to the control that has the focus.
void press(UINT key) {
    HWND focus = GetFocus();
    PostMessageA(focus, WM_KEYDOWN, key, 1);
    PostMessageA(focus, WM_KEYUP, key, 0xC0000001);
}

// The desktop choice's label: the size of the monitor the dialog is on.
std::string desktopLabel(HWND dialog, int* width = nullptr, int* height = nullptr) {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromWindow(dialog, MONITOR_DEFAULTTOPRIMARY), &monitor);
    int w = monitor.rcMonitor.right - monitor.rcMonitor.left;
    int h = monitor.rcMonitor.bottom - monitor.rcMonitor.top;
    if (width)
        *width = w;
    if (height)
        *height = h;
    return "Desktop (" + std::to_string(w) + "x" + std::to_string(h) + ")";
}

struct ControlLayout {
    const char* className;
    int id;
    std::string text;
    LONG style; // besides WS_CHILD | WS_VISIBLE
    RECT units; // x, y, width, height in dialog units
};

} // namespace

TEST(LaunchDialog, TemplateHoldsEveryControlAsLaidOut) {
    const LONG VISIBLE_CHILD = WS_CHILD | WS_VISIBLE;
    const std::vector<ControlLayout> controls = {
        {"Button", -1, "VORNIK", BS_GROUPBOX, {25, 62, 222, 54}},
        {"Static", -1, "Code: VORNIK", WS_GROUP, {30, 77, 73, 11}},
        {"Static", -1, "Music: VORNIK", WS_GROUP, {31, 100, 100, 11}},
        {"Static", -1, "3d art: VORNIK", WS_GROUP, {30, 89, 103, 11}},
        {"Button", IDC_RUN, "Run!", BS_PUSHBUTTON | WS_TABSTOP, {181, 14, 67, 17}},
        {"Button", IDC_CANCEL, "Cancel", BS_PUSHBUTTON | WS_TABSTOP, {180, 38, 67, 18}},
        {"Static", -1, "Resulution", WS_GROUP, {25, 13, 71, 14}},
        {"Button", IDC_RES_400X300, "400x300", BS_AUTORADIOBUTTON, {27, 27, 46, 13}},
        {"Button", IDC_RES_640X480, "640x480", BS_AUTORADIOBUTTON, {27, 44, 43, 12}},
        {"Button", IDC_RES_800X600, "800x600", BS_AUTORADIOBUTTON, {74, 29, 45, 9}},
        {"Button", IDC_RES_1024X768, "1024x768", BS_AUTORADIOBUTTON, {74, 44, 46, 11}},
        {"Button", IDC_RES_1280X1024, "1280x1024", BS_AUTORADIOBUTTON, {122, 28, 52, 12}},
        {"Button", IDC_RES_DESKTOP, "", BS_AUTORADIOBUTTON, {137, 127, 110, 13}},
        {"Button", IDC_FULLSCREEN, "FullScreen", BS_AUTOCHECKBOX | WS_TABSTOP, {123, 45, 53, 12}},
        {"Static", -1, "Contact: vornik@example.org", WS_GROUP, {137, 71, 106, 17}},
        {"Button", IDC_NOSOUND, "No Sound", BS_AUTOCHECKBOX | WS_TABSTOP, {25, 127, 103, 13}},
        {"Button", IDC_FILL, "Fill the screen", BS_AUTOCHECKBOX | WS_TABSTOP, {137, 141, 110, 13}},
    };
    GLWindow window = defaults();
    runDialog(window, [&](HWND dialog) {
        LONG style = GetWindowLongA(dialog, GWL_STYLE);
        const LONG dialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER;
        EXPECT_EQ(style & dialogStyle, dialogStyle);
        RECT size = {0, 0, 308, 159};
        MapDialogRect(dialog, &size);
        RECT client;
        GetClientRect(dialog, &client);
        EXPECT_EQ(client.right, size.right);
        EXPECT_EQ(client.bottom, size.bottom);

        HWND child = GetWindow(dialog, GW_CHILD);
        for (const ControlLayout& control : controls) {
            ASSERT_NE(child, nullptr) << "missing control " << control.text;
            std::string expectedText = control.id == IDC_RES_DESKTOP ? desktopLabel(dialog) : control.text;
            char className[64] = "";
            char text[128] = "";
            GetClassNameA(child, className, sizeof className);
            GetWindowTextA(child, text, sizeof text);
            EXPECT_STRCASEEQ(className, control.className) << expectedText;
            EXPECT_EQ(text, expectedText);
            EXPECT_EQ(static_cast<int>(static_cast<short>(GetDlgCtrlID(child))), control.id) << expectedText;
            // The style word holds exactly the template's bits, apart from what the
            // buttons change themselves: the focused push button shows as the default
            // one, and the checked radio button of a group becomes its tab stop.
            LONG childStyle = GetWindowLongA(child, GWL_STYLE);
            if ((control.style & 0xF) == BS_PUSHBUTTON && std::string(className) == "Button")
                childStyle &= ~static_cast<LONG>(BS_DEFPUSHBUTTON);
            if ((control.style & 0xF) == BS_AUTORADIOBUTTON)
                childStyle &= ~static_cast<LONG>(WS_TABSTOP);
            EXPECT_EQ(childStyle, control.style | VISIBLE_CHILD) << expectedText;
            // Position and size are converted from dialog units each on its own.
            RECT expected = control.units;
            MapDialogRect(dialog, &expected);
            RECT actual;
            GetWindowRect(child, &actual);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
            EXPECT_EQ(actual.left, expected.left) << expectedText;
            EXPECT_EQ(actual.top, expected.top) << expectedText;
            EXPECT_EQ(actual.right - actual.left, expected.right) << expectedText;
            EXPECT_EQ(actual.bottom - actual.top, expected.bottom) << expectedText;
            child = GetWindow(child, GW_HWNDNEXT);
        }
        EXPECT_EQ(child, nullptr) << "more controls than laid out";
        click(dialog, IDC_RUN);
    });
}

TEST(LaunchDialog, OpensShowingTheSettingsItStartsFromAndRunKeepsThem) {
    GLWindow window = defaults();
    runDialog(window, [](HWND dialog) {
        EXPECT_TRUE(checked(dialog, IDC_RES_640X480));
        for (int id : {IDC_RES_400X300, IDC_RES_800X600, IDC_RES_1024X768, IDC_RES_1280X1024, IDC_RES_DESKTOP,
                       IDC_FULLSCREEN, IDC_NOSOUND, IDC_FILL})
            EXPECT_FALSE(checked(dialog, id)) << id;
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_RUN));
        click(dialog, IDC_RUN);
    });
    EXPECT_EQ(window.width, 640);
    EXPECT_EQ(window.height, 480);
    EXPECT_EQ(window.bitsPerPixel, 32);
    EXPECT_FALSE(window.fullScreen);
    EXPECT_FALSE(window.noSound);
    EXPECT_FALSE(window.cancelled);
}

TEST(LaunchDialog, EachClickWritesItsChoiceAndBoxesFollowTheirMarks) {
    GLWindow window = defaults();
    std::vector<std::pair<int, int>> sizes;
    bool fullAfterOne = false;
    bool silentAfterOne = false;
    runDialog(window, [&](HWND dialog) {
        for (int id :
             {IDC_RES_400X300, IDC_RES_1024X768, IDC_RES_1280X1024, IDC_RES_640X480, IDC_RES_800X600}) {
            click(dialog, id);
            sizes.emplace_back(window.width, window.height);
        }
        EXPECT_TRUE(checked(dialog, IDC_RES_800X600));
        EXPECT_FALSE(checked(dialog, IDC_RES_640X480));
        click(dialog, IDC_FULLSCREEN);
        fullAfterOne = window.fullScreen;
        click(dialog, IDC_FULLSCREEN);
        click(dialog, IDC_NOSOUND);
        silentAfterOne = window.noSound;
        click(dialog, IDC_NOSOUND); // sound back on: the flag follows the box
        EXPECT_FALSE(checked(dialog, IDC_NOSOUND));
        click(dialog, IDC_FULLSCREEN);
        click(dialog, IDC_RUN);
    });
    std::vector<std::pair<int, int>> expected = {
        {400, 300}, {1024, 768}, {1280, 1024}, {640, 480}, {800, 600}};
    EXPECT_EQ(sizes, expected);
    EXPECT_TRUE(fullAfterOne);
    EXPECT_TRUE(silentAfterOne);
    EXPECT_TRUE(window.fullScreen);
    EXPECT_FALSE(window.noSound);
    EXPECT_FALSE(window.cancelled);
    EXPECT_EQ(window.width, 800);
}

TEST(LaunchDialog, CancelEscapeAndTheCloseBoxCancelEnterRuns) {
    struct Case {
        const char* name;
        std::function<void(HWND)> act;
        bool cancelled;
    };
    const std::vector<Case> cases = {
        {"Cancel", [](HWND dialog) { click(dialog, IDC_CANCEL); }, true},
        {"Escape", [](HWND) { press(VK_ESCAPE); }, true},
        {"close box", [](HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }, true},
        {"Enter on Run!", [](HWND) { press(VK_RETURN); }, false},
        {"Enter on Cancel",
         [](HWND dialog) {
             SetFocus(GetDlgItem(dialog, IDC_CANCEL));
             press(VK_RETURN);
         },
         true},
        {"Enter on No Sound",
         [](HWND dialog) {
             SetFocus(GetDlgItem(dialog, IDC_NOSOUND));
             press(VK_RETURN);
         },
         false},
    };
    for (const Case& c : cases) {
        GLWindow window = defaults();
        runDialog(window, c.act);
        EXPECT_EQ(window.cancelled, c.cancelled) << c.name;
        EXPECT_EQ(window.width, 640) << c.name;
        EXPECT_FALSE(window.noSound) << c.name;
    }
}

TEST(LaunchDialog, DesktopChoiceTakesTheMonitorSizeAndFillItsFlag) {
    GLWindow window = defaults();
    int width = 0;
    int height = 0;
    bool desktopAfterClick = false;
    runDialog(window, [&](HWND dialog) {
        desktopLabel(dialog, &width, &height);
        click(dialog, IDC_RES_DESKTOP);
        EXPECT_FALSE(checked(dialog, IDC_RES_640X480));
        EXPECT_FALSE(checked(dialog, IDC_FULLSCREEN)); // same ID range, not touched
        desktopAfterClick = window.desktopResolution && window.width == width && window.height == height;
        click(dialog, IDC_RES_1024X768);
        click(dialog, IDC_FILL);
        click(dialog, IDC_RUN);
    });
    EXPECT_TRUE(desktopAfterClick) << width << "x" << height;
    EXPECT_FALSE(window.desktopResolution);
    EXPECT_EQ(window.width, 1024);
    EXPECT_TRUE(window.fill);
}
