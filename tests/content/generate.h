// Runs the content generator into a fresh folder (shared by the determinism tests).
#pragma once

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

inline int generateContent(const std::string& dir, const std::string& options = "") {
    std::string tool = binaryDir() + "/tools/content/quarn_content";
    std::string cmd = "rm -rf '" + dir + "' && mkdir -p '" + dir + "' && '" + tool + "' --out '" + dir +
                      "' --wav '" + dir + "/demo.wav' " + options + " > /dev/null";
    return std::system(cmd.c_str());
}

// Across the seam of a looping WAV (last sample to first) the waveform moves no more
// than it does between neighbouring samples inside the song.
inline void expectSeamless(const std::string& wav) {
    ASSERT_GT(wav.size(), 44u + 8u);
    const int16_t* x = reinterpret_cast<const int16_t*>(wav.data() + 44);
    size_t frames = (wav.size() - 44) / 4;
    std::vector<int> steps;
    for (size_t i = 1; i < frames; ++i)
        steps.push_back(std::abs(x[2 * i] - x[2 * i - 2]));
    std::sort(steps.begin(), steps.end());
    int typical = steps[steps.size() * 999 / 1000];
    for (int c = 0; c < 2; ++c)
        EXPECT_LE(std::abs(x[c] - x[2 * (frames - 1) + c]), typical) << "channel " << c;
}
