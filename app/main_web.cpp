// Entry point in the browser: the page has shown its launch form and starts the
// program when Run! is clicked (the settings are on Module.quarnSettings).
#include "app/web_host.h"

#include <cstdlib>

int main() {
    // exit() ends the runtime, flushing the log, and tells the page (Module.onExit).
    std::exit(runDemoInBrowser());
}
