// The generator is deterministic: two runs with the same seed write the same
// scenes, textures and soundtrack WAV (byte for byte), and they are the files
// shipped in data/ (the MP3 is made from the WAV by the encoder). The WAV loops
// without a jump at its seam.
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const std::vector<std::string> kFiles = {
    "scene1.3ds",     "scene2.3ds",     "scene3.3ds",   "scene4.3ds",    "scene5.3ds",    "scene6.3ds",
    "env_chrome.jpg", "env_slime.jpg",  "env_gold.jpg", "env_ember.jpg", "cube_neon.tga", "cube_rust.jpg",
    "cube_check.tga", "cube_glass.jpg", "floor.jpg",    "spore.jpg",     "credits.tga"};

int generate(const std::string& dir) {
    std::string tool = binaryDir() + "/tools/content/quarn_content";
    std::string cmd = "rm -rf '" + dir + "' && mkdir -p '" + dir + "' && '" + tool + "' --out '" + dir +
                      "' --wav '" + dir + "/demo.wav' > /dev/null";
    return std::system(cmd.c_str());
}

} // namespace

TEST(ContentGenerator, TwoRunsWriteIdenticalFilesAndTheShippedOnes) {
    ASSERT_EQ(generate("run_a"), 0);
    ASSERT_EQ(generate("run_b"), 0);
    for (const std::string& f : kFiles) {
        std::string a = readFileText("run_a/" + f), b = readFileText("run_b/" + f);
        ASSERT_FALSE(a.empty()) << f;
        EXPECT_TRUE(a == b) << f << " differs between two runs";
        EXPECT_TRUE(a == readFileText(sourceDir() + "/data/" + f))
            << f << " differs from data/" << f << ": run scripts/make-content.sh and commit data/";
    }
    std::string wa = readFileText("run_a/demo.wav"), wb = readFileText("run_b/demo.wav");
    EXPECT_GT(wa.size(), 44u + 4u * 44100u * 174u);
    EXPECT_TRUE(wa == wb) << "the soundtrack WAV differs between two runs";

    // The song is a loop: across the seam (last sample to first) the waveform moves
    // no more than it does between neighbouring samples inside the song.
    ASSERT_GT(wa.size(), 44u + 8u);
    const int16_t* x = reinterpret_cast<const int16_t*>(wa.data() + 44);
    size_t frames = (wa.size() - 44) / 4;
    std::vector<int> steps;
    for (size_t i = 1; i < frames; ++i)
        steps.push_back(std::abs(x[2 * i] - x[2 * i - 2]));
    std::sort(steps.begin(), steps.end());
    int typical = steps[steps.size() * 999 / 1000];
    for (int c = 0; c < 2; ++c)
        EXPECT_LE(std::abs(x[c] - x[2 * (frames - 1) + c]), typical) << "channel " << c;
    EXPECT_EQ(std::system("rm -rf run_a run_b"), 0);
}
