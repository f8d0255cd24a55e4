/* Identifiers of the log console's dialog template, shared by the console code and
   the program's resource script. */
#pragma once

#define IDD_CONSOLE 111
#define IDC_CONSOLE_TEXT 1029
