// The launch dialog on Windows: dialog template 101 of the program's resources, shown
// modally before the render window exists. Each click writes its choice into the
// GLWindow at once; nothing is read back from the controls when the dialog ends.
#include "app/gl_window.h"
#include "app/resource.h"

#include <windows.h>

namespace {

// The settings the dialog writes (the process-wide window in the program).
GLWindow* settings = &gWindow;

int radioButtonFor(int width, int height) {
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
        CheckRadioButton(dialog, IDC_RES_400X300, IDC_RES_1280X1024,
                         radioButtonFor(settings->width, settings->height));
        CheckDlgButton(dialog, IDC_FULLSCREEN, settings->fullScreen ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(dialog, IDC_NOSOUND, settings->noSound ? BST_CHECKED : BST_UNCHECKED);
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
        settings->width = 400;
        settings->height = 300;
        break;
    case IDC_RES_640X480:
        settings->width = 640;
        settings->height = 480;
        break;
    case IDC_RES_800X600:
        settings->width = 800;
        settings->height = 600;
        break;
    case IDC_RES_1024X768:
        settings->width = 1024;
        settings->height = 768;
        break;
    case IDC_RES_1280X1024:
        settings->width = 1280;
        settings->height = 1024;
        break;
    case IDC_FULLSCREEN:
        // Each box's flag follows its check mark, so a second click undoes the first.
        settings->fullScreen = IsDlgButtonChecked(dialog, IDC_FULLSCREEN) == BST_CHECKED;
        break;
    case IDC_NOSOUND:
        settings->noSound = IsDlgButtonChecked(dialog, IDC_NOSOUND) == BST_CHECKED;
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
