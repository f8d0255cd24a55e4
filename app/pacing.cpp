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

double preciseMilliseconds() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

void waitUntil(double deadline) {
    for (;;) {
        double left = deadline - preciseMilliseconds();
        if (left <= 0.0)
            return;
        if (left > 1.5)
            std::this_thread::sleep_for(
                std::chrono::microseconds(static_cast<int64_t>((left - 1.0) * 1000.0)));
        else
            std::this_thread::yield();
    }
}
