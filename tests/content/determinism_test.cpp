// The whole regeneration (a long test, not in the default run: ctest -L long): two
// runs with the same seed write the same scenes, textures and soundtrack WAV (byte
// for byte), and they are the files shipped in data/ (the MP3 is made from the WAV
// by the encoder). The WAV loops without a jump at its seam.
#include "generate.h"

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

} // namespace

TEST(ContentGenerator, TwoRunsWriteIdenticalFilesAndTheShippedOnes) {
    ASSERT_EQ(generateContent("run_a"), 0);
    ASSERT_EQ(generateContent("run_b"), 0);
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

    expectSeamless(wa);
    EXPECT_EQ(std::system("rm -rf run_a run_b"), 0);
}
