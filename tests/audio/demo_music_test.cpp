// The program with its music, under Xvfb on the small writer-made demo: the music goes
// to a file through SDL's disk audio driver, Escape ends the run. Checks the standard
// output lines, the exit codes and the music itself.
#include "audio_test_support.h"
#include "demo_scenes.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct DemoRun {
    int code = -1;
    std::string out;
    std::string err;
};

// Starts the demo with the given audio file, answers the launch dialog with Enter
// when there is one (and a question with Escape), and presses Escape in the render
// window after `seconds`.
DemoRun playDemo(const std::string& audioFile, double seconds) {
    std::remove("quarn.code");
    std::string script = "SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE='" + audioFile + "' " + binaryDir() +
                         "/app/quarn > quarn.out 2> quarn.err & pid=$!\n"
                         "for i in $(seq 600); do\n"
                         "  kill -0 $pid 2>/dev/null || break\n"
                         "  id=$(xdotool search --name 'THE QUARN PROJECT' 2>/dev/null | head -1)\n"
                         "  [ -n \"$id\" ] && xdotool windowfocus --sync $id key Return 2>/dev/null\n"
                         "  id=$(xdotool search --name 'Vornik glEngine' 2>/dev/null | head -1)\n"
                         "  if [ -n \"$id\" ]; then\n"
                         "    for j in $(seq " +
                         std::to_string(static_cast<int>(seconds * 20)) +
                         "); do kill -0 $pid 2>/dev/null || break; sleep 0.05\n"
                         // The question a missing sound device asks is answered No (Escape).
                         "      box=$(xwininfo -root -tree | awk '/\"VORNIK\"/ {print $1; exit}')\n"
                         "      [ -n \"$box\" ] && xdotool windowfocus $box key Escape 2>/dev/null\n"
                         "    done\n"
                         "    xdotool windowfocus --sync $id key Escape 2>/dev/null; break\n"
                         "  fi\n"
                         "  sleep 0.05\n"
                         "done\n"
                         "wait $pid; echo $? > quarn.code\n";
    EXPECT_TRUE(writeFileText("play.sh", script));
    EXPECT_EQ(runCommand("sh play.sh"), 0);
    DemoRun run;
    run.code = std::atoi(readFileText("quarn.code").c_str());
    run.out = readFileText("quarn.out");
    run.err = readFileText("quarn.err");
    return run;
}

class DemoMusic : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { ASSERT_TRUE(writeDemoScenes(".")); }
    void SetUp() override {
        std::remove("demo.mp3");
        std::remove("music.raw");
    }
};

TEST_F(DemoMusic, PlaysTheSoundtrackLoopingUntilEscape) {
    ASSERT_TRUE(makeToneMp3("demo.mp3", 0.6, 44100, 2));
    std::vector<int16_t> ref = mpg123Reference("demo.mp3");
    ASSERT_FALSE(ref.empty());
    DemoRun run = playDemo("music.raw", 2.0);
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("[SOUND] Init BASS Sound system at 44100 khz\n[SOUND] Playing ...demo.mp3\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("[USER]->Exit program\n"), std::string::npos);

    // Silence until play, then the soundtrack over and over (2 s of a 0.6 s tone).
    std::vector<int16_t> out = readSamples("music.raw");
    size_t start = 0;
    while (start < out.size() && out[start] == 0)
        ++start;
    size_t refStart = 0;
    while (refStart < ref.size() && ref[refStart] == 0)
        ++refStart;
    ASSERT_GE(start, refStart);
    start -= refStart;
    ASSERT_GT(out.size() - start, ref.size() * 2) << "at least two loops were played";
    for (size_t i = start; i < out.size(); ++i)
        ASSERT_EQ(out[i], ref[(i - start) % ref.size()]) << "sample " << i - start;
}

TEST_F(DemoMusic, WithoutDemoMp3TheDemoRunsSilently) {
    DemoRun run = playDemo("music.raw", 0.5);
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("[SOUND] Init BASS Sound system at 44100 khz\n"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("[SOUND] Playing"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("[USER]->Exit program\n"), std::string::npos);
    for (int16_t sample : readSamples("music.raw"))
        ASSERT_EQ(sample, 0);
}

TEST_F(DemoMusic, SoundOnWithAnAudioDeviceThatCannotOpenIsFatal) {
    ASSERT_TRUE(makeToneMp3("demo.mp3", 0.2, 44100, 2));
    DemoRun run = playDemo("no-such-folder/music.raw", 30);
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("Could not init bass"), std::string::npos) << run.err;
    EXPECT_EQ(run.out.find("[SOUND]"), std::string::npos) << run.out;
}

} // namespace
