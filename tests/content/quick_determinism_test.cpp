// The generator is deterministic, checked cheaply on every run: two runs with the
// same seed write the same scene (one of the six, and it is the shipped one) and the
// same short song, which loops without a jump at its seam. The whole regeneration
// is the long test in determinism_test.cpp.
#include "generate.h"

#include <gtest/gtest.h>

TEST(ContentGenerator, TwoRunsWriteTheSameSceneAndShortSong) {
    const std::string options = "--scene 3 --no-textures --bars 4";
    ASSERT_EQ(generateContent("quick_a", options), 0);
    ASSERT_EQ(generateContent("quick_b", options), 0);
    std::string a = readFileText("quick_a/scene3.3ds");
    ASSERT_FALSE(a.empty());
    EXPECT_TRUE(a == readFileText("quick_b/scene3.3ds")) << "scene3.3ds differs between two runs";
    EXPECT_TRUE(a == readFileText(sourceDir() + "/data/scene3.3ds"))
        << "scene3.3ds differs from data/: run scripts/make-content.sh and commit data/";
    std::string wa = readFileText("quick_a/demo.wav");
    EXPECT_TRUE(wa == readFileText("quick_b/demo.wav")) << "the short song differs between two runs";
    expectSeamless(wa);
    EXPECT_EQ(std::system("rm -rf quick_a quick_b"), 0);
}
