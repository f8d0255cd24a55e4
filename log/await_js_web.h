// AWAIT_JS: a JavaScript function that awaits a promise while the program waits
// (Asyncify unwinds the program's stack and rewinds it when the promise settles), as
// emscripten's EM_ASYNC_JS declares one, with one difference in how the program is
// resumed. exit() ends the runtime by throwing ExitStatus up the program's stack, and
// once the program has been resumed from a promise, EM_ASYNC_JS lets that throw escape
// into the page as an uncaught error. Here the resumption catches ExitStatus, as the
// runtime does for its own callbacks: the program's end is not an error. Any other
// exception still reaches the page.
#pragma once

#include <emscripten/em_js.h>

// The "__asyncjs__" prefix of the import's name is what tells the linker that the
// program may wait in this function (as for EM_ASYNC_JS).
#define AWAIT_JS(ret, name, params, ...)                                                                     \
    _EM_JS(ret, name, __asyncjs__##name, params,                                                             \
           "{ return Asyncify.handleSleep(wakeUp => { (async () => " #__VA_ARGS__                            \
           ")().then(value => { try { wakeUp(value); } catch (e) { if (!(e instanceof ExitStatus)) "         \
           "throw e; } }); }); }")
