#include "app/stop_signal.h"
#include "scene/scene_loader.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t received = 0;

void noteSignal(int signal) {
    received = signal;
}

// Nothing of a run exists yet while its scenes load: the process can end at once.
void stopWhileLoading() {
    if (int signal = received) {
        std::fprintf(stderr, "quarn: stopped by signal %d while loading the scenes\n", signal);
        std::fflush(stderr);
        endByStopSignal(signal);
    }
}

} // namespace

void installStopSignals() {
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = noteSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
    SceneLoader::betweenSteps = stopWhileLoading;
}

int stopSignalReceived() {
    return received;
}

bool stopSignalPending() {
    return received != 0;
}

void endByStopSignal(int signal) {
    std::signal(signal, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    raise(signal);
    _exit(128 + signal);
}
