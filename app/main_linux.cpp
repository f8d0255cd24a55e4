// Entry point on Linux.
#include "app/demo_driver.h"
#include "app/gl_window.h"

int main() { return runDemo(gWindow); }
