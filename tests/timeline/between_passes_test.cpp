// Drawing apart from the script, on the shipped scenes and the offscreen context:
// a frame drawn at a pass's moment is the frame that pass has always shown (byte
// fingerprints of sampled passes of every part, made with the one-picture-per-pass
// loop on llvmpipe), and a frame halfway between two passes is the frame of the
// midpoint state.
#include "app/offscreen_gl.h"
#include "render/gl.h"
#include "support/shipped_demo.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int WIDTH = 160;
constexpr int HEIGHT = 120;

uint64_t fingerprint(const std::vector<unsigned char>& bytes) {
    uint64_t hash = 1469598103934665603ull;
    for (unsigned char b : bytes)
        hash = (hash ^ b) * 1099511628211ull;
    return hash;
}

std::string renderer() {
    return reinterpret_cast<const char*>(glGetString(GL_RENDERER)) + std::string(" / ") +
           reinterpret_cast<const char*>(glGetString(GL_VERSION));
}

// Plays the script from its start, three passes in a row, then a quarter of the part
// further on, and so on to the end; one line per sampled pass: pass, part, fingerprint.
std::string playSampled(ShippedDemo& demo, OffscreenGL& gl) {
    std::ostringstream lines;
    for (int32_t pass = 0;; ++pass) {
        bool ended = demo.timeline.advance();
        demo.timeline.draw(1.0f);
        if (ended)
            break;
        char line[64];
        std::snprintf(line, sizeof line, "%d %d %016llx\n", pass, demo.timeline.part,
                      static_cast<unsigned long long>(fingerprint(gl.readRgbTopDown())));
        lines << line;
        if ((pass + 1) % 3 == 0)
            demo.skipAhead(0.25);
    }
    return lines.str();
}

class BetweenPasses : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(gl.create(WIDTH, HEIGHT, error)) << error;
    }
    OffscreenGL gl;
};

TEST_F(BetweenPasses, FramesAtPassesAreTheFramesThePassesHaveAlwaysShown) {
    const std::string path = sourceDir() + "/tests/timeline/pass_frames.txt";
    std::ifstream file(path);
    std::string header;
    std::getline(file, header);
    std::stringstream expected;
    expected << file.rdbuf();
    if (header != renderer())
        GTEST_SKIP() << "fingerprints were made on " << header << ", this is " << renderer();
    ShippedDemo demo(sourceDir() + "/data");
    EXPECT_EQ(playSampled(demo, gl), expected.str());
}

// Plays the script without drawing until `part` has run `passes` passes.
void playInto(Timeline& t, int32_t part, int32_t passes) {
    while (t.part != part)
        ASSERT_FALSE(t.advance());
    for (int32_t i = 0; i < passes; ++i)
        t.advance();
}

TEST_F(BetweenPasses, HalfwayIsTheFrameOfTheMidpointState) {
    ShippedDemo demo(sourceDir() + "/data");
    Timeline& t = demo.timeline;

    // Part 2: the camera halfway between two position keys.
    playInto(t, 2, 5);
    const int32_t key = t.frame;
    t.advance();
    t.draw(1.0f);
    const std::vector<unsigned char> atKey = gl.readRgbTopDown();
    t.advance();
    t.draw(0.5f);
    const std::vector<unsigned char> halfway = gl.readRgbTopDown();
    TrackKey* keys = t.scene2->cameras[0]->positionKeys.get();
    const Vector3 a = keys[key].position;
    const Vector3 b = keys[key + 1].position;
    keys[key + 1].position = Vector3((a.x + b.x) * 0.5f, (a.y + b.y) * 0.5f, (a.z + b.z) * 0.5f);
    t.frame = key + 1;
    t.advance();
    t.draw(1.0f);
    EXPECT_TRUE(gl.readRgbTopDown() == halfway);
    EXPECT_FALSE(atKey == halfway);

    // Part 6: object 0 half a degree further, the sliding object half a step up.
    playInto(t, 6, 200);
    t.draw(1.0f); // objects inherit GL state from the frame drawn before
    t.draw(0.5f);
    const std::vector<unsigned char> halfwayInSix = gl.readRgbTopDown();
    PassPicture midpoint = t.latest;
    midpoint.turn = t.before.turn;
    midpoint.turn.rotate(0.5f, 0.0f, 0.0f, 1.0f);
    midpoint.slideDistance = t.before.slideDistance + 3.0f;
    t.before = t.latest = midpoint;
    t.draw(1.0f);
    EXPECT_TRUE(gl.readRgbTopDown() == halfwayInSix);
}

} // namespace
