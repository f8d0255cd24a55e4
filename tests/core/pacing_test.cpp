#include "app/pacing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

namespace {
double seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}
} // namespace

TEST(Pacing, PassesNeverShorterThanTwentyMilliseconds) {
    using clock = std::chrono::steady_clock;
    // A pass of 10 ms of work takes 20 ms when the wait counts from the pass's start,
    // and 30 ms when it counts from the end of the work. The machine is shared, so a
    // sleep may overshoot now and then: the typical (median) pass is judged, with the
    // bound between the two.
    std::vector<double> passes;
    for (int pass = 0; pass < 50; ++pass) {
        auto passBegin = clock::now();
        uint32_t passStart = tickMilliseconds();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        waitSince(passStart, PASS_MILLISECONDS);
        passes.push_back(seconds(clock::now() - passBegin));
    }
    std::sort(passes.begin(), passes.end());
    // The clock counts whole milliseconds; a pass may start late in one.
    EXPECT_GE(passes.front(), 0.019);
    EXPECT_LE(passes[passes.size() / 2], 0.025);
}

TEST(Pacing, APassThatTookLongerDoesNotWait) {
    uint32_t start = tickMilliseconds() - 50;
    auto begin = std::chrono::steady_clock::now();
    waitSince(start, PASS_MILLISECONDS);
    EXPECT_LT(seconds(std::chrono::steady_clock::now() - begin), 0.005);
}

TEST(Pacing, WrapOfTheTickCounterDoesNoHarm) {
    // A start just before the wrap and "now" just after it are 20 ms apart.
    uint32_t start = 0xFFFFFFF6u;
    uint32_t now = 10u;
    EXPECT_EQ(now - start, 20u);
}
