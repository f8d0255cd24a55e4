// Ctrl-C (SIGINT), SIGTERM and SIGHUP as a request to stop the offscreen modes: the
// handler only notes the signal; the program checks it between passes, removes what
// it left half done, and then ends by the same signal.
#pragma once

// Installs the handlers (SA_RESTART, so interrupted system calls resume). Scene loads
// from then on look for a stop signal before every chunk and texture and end the
// process by it there ("quarn: stopped by signal N while loading ...").
void installStopSignals();
// The stop signal received, 0 when none.
int stopSignalReceived();
// True once a stop signal arrived (usable as a plain function pointer).
bool stopSignalPending();
// Ends the process by the signal with its default action: the exit status a shell
// reports for it (128 + the signal's number).
[[noreturn]] void endByStopSignal(int signal);
