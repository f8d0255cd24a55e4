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
double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
} // namespace

TEST(Pacing, PassesNeverShorterThanTwentyMilliseconds) {
    using clock = std::chrono::steady_clock;
    // After 10 ms of work a pass waits only what is left of its 20 ms, counted from
    // the pass's start, not 20 ms more. On a busy machine every sleep may overshoot by
    // several milliseconds, so that wait is judged against a whole 20 ms wait measured
    // alongside it, not against a fixed bound.
    std::vector<double> passes, rests, wholeWaits;
    for (int pass = 0; pass < 30; ++pass) {
        auto passBegin = clock::now();
        uint32_t passStart = tickMilliseconds();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        auto restBegin = clock::now();
        waitSince(passStart, PASS_MILLISECONDS);
        auto passEnd = clock::now();
        passes.push_back(seconds(passEnd - passBegin));
        rests.push_back(seconds(passEnd - restBegin));
        waitSince(tickMilliseconds(), PASS_MILLISECONDS);
        wholeWaits.push_back(seconds(clock::now() - passEnd));
    }
    // The clock counts whole milliseconds; a pass may start late in one.
    EXPECT_GE(*std::min_element(passes.begin(), passes.end()), 0.019);
    EXPECT_LT(median(rests) + 0.005, median(wholeWaits));
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
