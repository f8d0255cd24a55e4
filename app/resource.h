/* Identifiers of the program's resources and the launch dialog's controls (resources.rc);
   the log console's are in log/log_console_ids.h. */
#pragma once

/* Launch dialog. */
#define IDD_LAUNCH 101
#define IDC_RUN 1005
#define IDC_CANCEL 1006
#define IDC_RES_400X300 1007
#define IDC_RES_640X480 1008
#define IDC_RES_800X600 1009
#define IDC_RES_1024X768 1010
#define IDC_RES_1280X1024 1013
/* Inside the range of the five, so CheckRadioButton covers it too. */
#define IDC_RES_DESKTOP 1011
#define IDC_FULLSCREEN 1014
#define IDC_NOSOUND 1031
#define IDC_FILL 1032

/* The program's icon. */
#define IDI_QUARN 100
