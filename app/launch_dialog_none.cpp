// Launch dialog placeholder: keeps the default settings.
#include "app/gl_window.h"

void runLaunchDialog(GLWindow&) {}
