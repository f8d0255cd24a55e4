#include "app/pacing.h"

#include <chrono>
#include <thread>

uint32_t tickMilliseconds() {
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void waitSince(uint32_t start, uint32_t interval) {
    for (;;) {
        uint32_t elapsed = tickMilliseconds() - start;
        if (elapsed >= interval)
            return;
        uint32_t left = interval - elapsed;
        if (left > 1)
            std::this_thread::sleep_for(std::chrono::milliseconds(left - 1));
        else
            std::this_thread::yield();
    }
}
