// The launch dialog on Windows: dialog template 101 of the program's resources, shown
// modally before the render window exists. Each click writes its choice into the
// GLWindow at once; nothing is read back from the controls when the dialog ends.
#include "app/gl_window.h"
#include "app/resource.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

// The settings the dialog writes (the process-wide window in the program).
GLWindow* settings = &gWindow;

// The desktop's own size on the monitor the dialog is on (where the render window
// opens), written into the desktop choice's label.
struct DesktopSize {
    int width = 640;
    int height = 480;
};
DesktopSize desktop;

void measureDesktop(HWND dialog) {
    MONITORINFO monitor;
    std::memset(&monitor, 0, sizeof monitor);
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoA(MonitorFromWindow(dialog, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
        desktop.width = monitor.rcMonitor.right - monitor.rcMonitor.left;
        desktop.height = monitor.rcMonitor.bottom - monitor.rcMonitor.top;
    }
    char label[64];
    std::snprintf(label, sizeof label, "Desktop (%dx%d)", desktop.width, desktop.height);
    SetDlgItemTextA(dialog, IDC_RES_DESKTOP, label);
    if (settings->desktopResolution) {
        settings->width = desktop.width;
        settings->height = desktop.height;
    }
}

void choose(int width, int height, bool desktopResolution) {
    settings->width = width;
    settings->height = height;
    settings->desktopResolution = desktopResolution;
}

int radioButtonFor(int width, int height) {
    if (settings->desktopResolution)
        return IDC_RES_DESKTOP;
    if (width == 400 && height == 300)
        return IDC_RES_400X300;
    if (width == 800 && height == 600)
        return IDC_RES_800X600;
    if (width == 1024 && height == 768)
        return IDC_RES_1024X768;
    if (width == 1280 && height == 1024)
        return IDC_RES_1280X1024;
    return IDC_RES_640X480;
}

INT_PTR CALLBACK launchDialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        // The controls show the settings the dialog starts from (640x480 selected,
        // both boxes as the flags are), so what the viewer sees is what Run! uses.
        measureDesktop(dialog);
        CheckRadioButton(dialog, IDC_RES_400X300, IDC_RES_1280X1024,
                         radioButtonFor(settings->width, settings->height));
        CheckDlgButton(dialog, IDC_FULLSCREEN, settings->fullScreen ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(dialog, IDC_NOSOUND, settings->noSound ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(dialog, IDC_FILL, settings->fill ? BST_CHECKED : BST_UNCHECKED);
        ShowWindow(dialog, SW_SHOW);
        return TRUE; // the system puts the focus on the first tab stop, Run!
    }
    if (message != WM_COMMAND)
        return FALSE;

    // wParam is compared whole: only clicks (notification code BN_CLICKED, 0) match.
    switch (wParam) {
    case IDOK: // Enter: the focused button, and Run! when no button has the focus
        if (GetFocus() == GetDlgItem(dialog, IDC_CANCEL)) {
            settings->cancelled = true;
            EndDialog(dialog, 0);
            break;
        }
        EndDialog(dialog, 0);
        break;
    case IDC_RUN:
        EndDialog(dialog, 0);
        break;
    case IDC_CANCEL:
    case IDCANCEL: // Escape and the close box
        settings->cancelled = true;
        EndDialog(dialog, 0);
        break;
    case IDC_RES_400X300:
        choose(400, 300, false);
        break;
    case IDC_RES_640X480:
        choose(640, 480, false);
        break;
    case IDC_RES_800X600:
        choose(800, 600, false);
        break;
    case IDC_RES_1024X768:
        choose(1024, 768, false);
        break;
    case IDC_RES_1280X1024:
        choose(1280, 1024, false);
        break;
    case IDC_RES_DESKTOP:
        choose(desktop.width, desktop.height, true);
        break;
    case IDC_FULLSCREEN:
        // Each box's flag follows its check mark, so a second click undoes the first.
        settings->fullScreen = IsDlgButtonChecked(dialog, IDC_FULLSCREEN) == BST_CHECKED;
        break;
    case IDC_NOSOUND:
        settings->noSound = IsDlgButtonChecked(dialog, IDC_NOSOUND) == BST_CHECKED;
        break;
    case IDC_FILL:
        settings->fill = IsDlgButtonChecked(dialog, IDC_FILL) == BST_CHECKED;
        break;
    default:
        break;
    }
    return FALSE;
}

} // namespace

void runLaunchDialog(GLWindow& window) {
    settings = &window;
    // The result is not used: the caller looks at `cancelled`. A dialog that can't be
    // created leaves the defaults in place.
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_LAUNCH), nullptr, launchDialogProcedure,
                    0);
}
