// The window at the display's rate: 10 s of part 2 under Xvfb, where vsync does not
// hold, so the frames are held to the reported refresh rate while the script plays at
// 50 passes a second.
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Rates {
    long frames = 0;
    double seconds = 0, framesPerSecond = 0, passesPerSecond = 0;
    int passes = 0, refresh = 0;
};

bool parseRates(const std::string& out, Rates& r) {
    size_t at = out.find("Window: ");
    return at != std::string::npos &&
           std::sscanf(out.c_str() + at,
                       "Window: %ld frames in %lf s, %lf frames per second; %d passes, %lf passes per "
                       "second; refresh %d Hz",
                       &r.frames, &r.seconds, &r.framesPerSecond, &r.passes, &r.passesPerSecond,
                       &r.refresh) == 6;
}

TEST(FrameRate, FramesFollowTheCapWhileTheScriptPlaysFiftyPassesASecond) {
    std::string dir = binaryDir() + "/tests/integration/frame-rate";
    std::string command = sourceDir() + "/tests/integration/run_frame_rate.sh " + binaryDir() +
                          "/app/quarn " + sourceDir() + "/data 10 " + dir + " --part 2";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::string out = readFileText(dir + "/stdout");
    Rates r;
    ASSERT_TRUE(parseRates(out, r)) << out;
    EXPECT_EQ(readFileText(dir + "/exitcode"), "0\n");
    EXPECT_NE(out.find("vsync off"), std::string::npos) << "vsync does not hold under Xvfb";
    // The window measured most of the 10 s: loading the scenes takes a part of them,
    // more on a busy machine.
    EXPECT_GT(r.seconds, 6.0);
    // Never above the cap, and the script never ahead of 50 passes a second.
    EXPECT_LE(r.framesPerSecond, r.refresh * 1.02);
    EXPECT_LE(r.passesPerSecond, 50.5);
    // A frame that comes late lets the script advance one pass only, as designed: the
    // rate of 50 passes is checked only when this (shared) machine kept up with the cap.
    if (r.framesPerSecond < r.refresh * 0.95)
        GTEST_SKIP() << "this machine drew only " << r.framesPerSecond
                     << " frames a second now: the script waits for the frames, as designed";
    EXPECT_NEAR(r.passesPerSecond, 50.0, 1.0);
}

} // namespace
