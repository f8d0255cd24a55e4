// The offscreen modes: frames that match committed golden images, a pass range that
// replays exactly, PNG files on disk, and the program's command line end to end.
#include "app/capture.h"
#include "app/picture_shape.h"
#include "app/png_writer.h"
#include "demo_scenes.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

using Frames = std::map<int32_t, std::vector<unsigned char>>;

// Plays the small demo offscreen and keeps the presented passes of the range.
Frames capture(int32_t width, int32_t height, int32_t firstPass, int32_t lastPass,
               OffscreenRun* result = nullptr) {
    OffscreenRun run;
    run.width = width;
    run.height = height;
    run.firstPass = firstPass;
    run.lastPass = lastPass;
    Frames frames;
    run.sink = [&](const PresentedFrame& frame) {
        EXPECT_EQ(frame.width, width);
        EXPECT_EQ(frame.height, height);
        frames[frame.info.pass].assign(frame.rgb, frame.rgb + width * height * 3);
    };
    EXPECT_EQ(runOffscreen(run), 0);
    if (result)
        *result = run;
    return frames;
}

class Capture : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { ASSERT_TRUE(writeDemoScenes(".")); }
};

// Differences of a few levels are allowed (rasterisers of other Mesa versions round
// differently), and a few pixels may differ more along edges.
void expectCloseTo(const std::vector<unsigned char>& actual, const std::vector<unsigned char>& golden,
                   const std::string& what) {
    ASSERT_EQ(actual.size(), golden.size()) << what;
    size_t far = 0;
    double total = 0;
    for (size_t i = 0; i < actual.size(); ++i) {
        int d = std::abs(int(actual[i]) - int(golden[i]));
        total += d;
        if (d > 24)
            ++far;
    }
    EXPECT_LE(far, actual.size() / 200) << what << ": channels far off";
    EXPECT_LE(total / actual.size(), 1.5) << what << ": mean difference";
}

TEST_F(Capture, FramesMatchTheGoldenImages) {
    // One pass of each part: wireframe, sphere map, additive texture, part 5, and part
    // 6 with fog, the turning object and a sliding object.
    const int32_t passes[] = {1, 3, 6, 9, 20};
    const int32_t width = 160;
    const int32_t height = 120;
    Frames frames = capture(width, height, 0, 20);
    std::string goldenDir = sourceDir() + "/tests/driver/golden";
    bool update = std::getenv("QUARN_UPDATE_GOLDEN") != nullptr;
    for (int32_t pass : passes) {
        ASSERT_EQ(frames.count(pass), 1u) << pass;
        char name[32];
        std::snprintf(name, sizeof name, "/pass%05d.png", pass);
        std::string path = goldenDir + name;
        std::string error;
        if (update) {
            std::filesystem::create_directories(goldenDir);
            ASSERT_TRUE(writePng(path, width, height, frames[pass].data(), error)) << error;
            continue;
        }
        int w = 0;
        int h = 0;
        std::vector<unsigned char> golden;
        ASSERT_TRUE(readPng(path, w, h, golden, error)) << path << ": " << error;
        ASSERT_EQ(w, width);
        ASSERT_EQ(h, height);
        expectCloseTo(frames[pass], golden, path);
    }
}

TEST_F(Capture, APassRangeReplaysTheFullRunExactly) {
    OffscreenRun full;
    Frames all = capture(48, 36, 0, INT32_MAX, &full);
    ASSERT_EQ(static_cast<int32_t>(all.size()), full.presentedTotal);
    EXPECT_EQ(all.begin()->first, 0);
    EXPECT_EQ(all.rbegin()->first, full.presentedTotal - 1);
    // Every part of the script shows; part 6 presents all but its last pass.
    EXPECT_EQ(full.passesByPart[6], 12 * 142 - 1);
    for (int part : {1, 2, 3, 5})
        EXPECT_GT(full.passesByPart[part], 0) << part;

    Frames range = capture(48, 36, 100, 104);
    ASSERT_EQ(range.size(), 5u);
    for (const auto& [pass, rgb] : range)
        EXPECT_TRUE(rgb == all[pass]) << "pass " << pass;
    // The frames are not all alike: the animation moves.
    EXPECT_FALSE(all[100] == all[240]);
}

TEST_F(Capture, WritesNumberedPngFilesOfTheChosenPasses) {
    std::filesystem::remove_all("shots");
    CommandLine line;
    line.mode = CommandLine::CAPTURE;
    line.directory = "shots/run";
    line.width = 32;
    line.height = 24;
    line.firstPass = 3;
    line.lastPass = 5;
    EXPECT_EQ(runCapture(line), 0);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator("shots/run"))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"frame00003.png", "frame00004.png", "frame00005.png"}));
    int w = 0;
    int h = 0;
    std::vector<unsigned char> rgb;
    std::string error;
    ASSERT_TRUE(readPng("shots/run/frame00004.png", w, h, rgb, error)) << error;
    EXPECT_EQ(w, 32);
    EXPECT_EQ(h, 24);
}

struct Outcome {
    int exitCode;
    std::string out;
    std::string err;
};

Outcome runQuarn(const std::string& arguments) {
    std::string command = binaryDir() + "/app/quarn " + arguments + " > quarn.out 2> quarn.err";
    int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFileText("quarn.out"),
            readFileText("quarn.err")};
}

TEST_F(Capture, TheProgramsOffscreenModesAndItsUsage) {
    Outcome wrong = runQuarn("--frobnicate");
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_NE(wrong.err.find("unknown option \"--frobnicate\""), std::string::npos) << wrong.err;
    EXPECT_NE(wrong.err.find("usage: quarn"), std::string::npos) << wrong.err;

    Outcome help = runQuarn("--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--benchmark"), std::string::npos);

    std::filesystem::remove_all("cli");
    Outcome shot = runQuarn("--capture cli --size 40x30 --passes 0-1");
    EXPECT_EQ(shot.exitCode, 0) << shot.err;
    EXPECT_NE(shot.out.find("Wrote 2 frames of 40x30 to cli\n"), std::string::npos) << shot.out;
    EXPECT_TRUE(std::filesystem::exists("cli/frame00001.png"));

    Outcome beyond = runQuarn("--capture cli --passes 90000-90001");
    EXPECT_EQ(beyond.exitCode, 1);
    EXPECT_NE(beyond.err.find("there is no pass 90000 to capture"), std::string::npos) << beyond.err;

    Outcome bench = runQuarn("--benchmark --size 40x30");
    EXPECT_EQ(bench.exitCode, 0) << bench.err;
    EXPECT_NE(bench.out.find("Benchmark at 40x30: "), std::string::npos) << bench.out;
    EXPECT_NE(bench.out.find("passes per second\n"), std::string::npos) << bench.out;
    EXPECT_NE(bench.out.find("  part 6: 1703 passes in "), std::string::npos) << bench.out;
    EXPECT_FALSE(std::filesystem::exists("frame00000.png"));
}

} // namespace

namespace {

TEST(PictureShape, BarsByDefaultAndTheFramesOwnAspectWithFill) {
    auto expectShape = [](PictureShape s, int x, int y, int w, int h, float aspect) {
        EXPECT_EQ(s.x, x);
        EXPECT_EQ(s.y, y);
        EXPECT_EQ(s.width, w);
        EXPECT_EQ(s.height, h);
        EXPECT_FLOAT_EQ(s.aspect, aspect);
    };
    // The design's resolutions keep the stretched projection, with or without fill.
    expectShape(pictureShape(640, 480, true), 0, 0, 640, 480, 1.0f);
    expectShape(pictureShape(1920, 1080, false), 240, 0, 1440, 1080, 1.0f);
    expectShape(pictureShape(1080, 1920, false), 0, 555, 1080, 810, 1.0f);
    // Filling: a sphere stays round, as wide in pixels as it is high.
    expectShape(pictureShape(1920, 1080, true), 0, 0, 1920, 1080, 1920.0f / 1080.0f);
    expectShape(pictureShape(1080, 1920, true), 0, 0, 1080, 1920, 1080.0f / 1920.0f);
}

TEST_F(Capture, AWideFrameShowsTheFourByThreePictureBetweenBlackBars) {
    const std::vector<unsigned char> narrow = capture(160, 120, 3, 3)[3];
    const std::vector<unsigned char> wide = capture(200, 120, 3, 3)[3];
    ASSERT_EQ(wide.size(), 200u * 120u * 3u);
    size_t unequal = 0, lit = 0;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 200; ++x)
            for (int c = 0; c < 3; ++c) {
                unsigned char v = wide[(y * 200 + x) * 3 + c];
                if (x < 20 || x >= 180)
                    lit += v != 0;
                else
                    unequal += v != narrow[(y * 160 + x - 20) * 3 + c];
            }
    EXPECT_EQ(lit, 0u) << "the bars are black";
    // The same picture; the rasteriser may round a line's pixel otherwise at an offset.
    EXPECT_LE(unequal, narrow.size() / 1000) << "the middle is the 4:3 picture";
}

} // namespace
