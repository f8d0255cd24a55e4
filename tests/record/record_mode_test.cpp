// `quarn --record` end to end on the small writer-made demo: a video with one frame
// per presented pass at 50 fps, the soundtrack looped to its length, the frames the
// capture mode draws, and clear refusals.
#include "../audio/audio_test_support.h"
#include "app/capture_options.h"
#include "app/png_writer.h"
#include "demo_scenes.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <sys/stat.h>
#include <chrono>
#include <csignal>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

struct ProgramRun {
    int code;
    std::string out;
    std::string err;
};

ProgramRun quarn(const std::string& arguments, const std::string& environment = "") {
    std::string command =
        environment + " " + binaryDir() + "/app/quarn " + arguments + " > quarn.out 2> quarn.err";
    int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFileText("quarn.out"),
            readFileText("quarn.err")};
}

std::string commandOutput(const std::string& command) {
    std::string text;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return text;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        text.append(buffer, got);
    pclose(pipe);
    return text;
}

// "key=value" lines of ffprobe for one stream type ("v" or "a"); empty when absent.
std::map<std::string, std::string> probeStream(const std::string& path, const std::string& type) {
    std::string text =
        commandOutput("ffprobe -v error -count_frames -select_streams " + type +
                      " -show_entries stream=width,height,r_frame_rate,nb_read_frames,duration "
                      "-of default=nw=1 '" +
                      path + "'");
    std::map<std::string, std::string> values;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(pos, end - pos);
        size_t eq = line.find('=');
        if (eq != std::string::npos)
            values[line.substr(0, eq)] = line.substr(eq + 1);
        pos = end + 1;
    }
    return values;
}

bool exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

// Starts the program in the background (temporary files in tmp/), waits until
// `ready` holds, sends it `signal` and returns its wait status (-1: it didn't end).
int signalledRun(const std::string& arguments, const std::function<bool()>& ready, int signal) {
    runCommand("rm -rf tmp && mkdir tmp");
    std::string command =
        "exec env TMPDIR=tmp " + binaryDir() + "/app/quarn " + arguments + " > quarn.out 2> quarn.err";
    pid_t pid = fork();
    if (pid == 0) {
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = -1;
    using namespace std::chrono;
    for (auto end = steady_clock::now() + seconds(60); steady_clock::now() < end && !ready();)
        std::this_thread::sleep_for(milliseconds(20));
    kill(pid, signal);
    for (auto end = steady_clock::now() + seconds(30); steady_clock::now() < end;) {
        if (waitpid(pid, &status, WNOHANG) == pid)
            return status;
        std::this_thread::sleep_for(milliseconds(20));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
}

class RecordMode : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { ASSERT_TRUE(writeDemoScenes(".")); }
    void SetUp() override {
        std::remove("demo.mp3");
        runCommand("rm -rf videos && mkdir videos");
    }
};

TEST_F(RecordMode, RecordsEveryPresentedPassWithTheLoopedSoundtrack) {
    ASSERT_TRUE(makeToneMp3("demo.mp3", 1.0, 44100, 2));
    ProgramRun run = quarn("--record videos/demo.mp4 --size 96x72");
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("Recorded "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("frames of 96x72 at 50 frames per second to videos/demo.mp4, with the soundtrack "
                           "demo.mp3\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("[SOUND]"), std::string::npos) << "the record mode plays no music itself";

    // The script's part 6 alone presents more than 1700 passes.
    long frames = std::atol(run.out.substr(run.out.find("Recorded ") + 9).c_str());
    EXPECT_GT(frames, 1700);

    auto video = probeStream("videos/demo.mp4", "v");
    auto audio = probeStream("videos/demo.mp4", "a");
    EXPECT_EQ(video["nb_read_frames"], std::to_string(frames));
    EXPECT_EQ(video["r_frame_rate"], "50/1");
    EXPECT_EQ(video["width"], "96");
    EXPECT_EQ(video["height"], "72");
    ASSERT_FALSE(audio.empty()) << "the soundtrack is in the video";
    double seconds = frames / 50.0;
    EXPECT_NEAR(std::atof(audio["duration"].c_str()), seconds, 0.1) << "a one-second tone looped";

    // Frame 0 of the video is pass 0 of the capture mode (within the encoder's loss).
    ProgramRun capture = quarn("--capture frames --size 96x72 --passes 0-0");
    ASSERT_EQ(capture.code, 0) << capture.err;
    std::string raw =
        commandOutput("ffmpeg -v error -i videos/demo.mp4 -frames:v 1 -f rawvideo -pix_fmt rgb24 -");
    std::string png = commandOutput("ffmpeg -v error -i frames/frame00000.png -f rawvideo -pix_fmt rgb24 -");
    ASSERT_EQ(raw.size(), 96u * 72u * 3u);
    ASSERT_EQ(png.size(), raw.size());
    double difference = 0;
    for (size_t i = 0; i < raw.size(); ++i)
        difference +=
            std::abs(int(static_cast<unsigned char>(raw[i])) - int(static_cast<unsigned char>(png[i])));
    EXPECT_LT(difference / raw.size(), 6.0);
}

TEST_F(RecordMode, NoSoundtrackMeansASilentVideoAndPassesCanBeChosen) {
    ProgramRun run = quarn("--record videos/part.mp4 --size 64x48 --passes 10-59");
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("Recorded 50 frames of 64x48 at 50 frames per second to videos/part.mp4, without "
                           "sound (no demo.mp3 to read)\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(probeStream("videos/part.mp4", "v")["nb_read_frames"], "50");
    EXPECT_TRUE(probeStream("videos/part.mp4", "a").empty());
    // Both outputs into one file: the loader's lines all come before the progress.
    ASSERT_EQ(std::system((binaryDir() + "/app/quarn --record videos/one.mp4 --size 64x48 --passes 0-0 "
                                         "> both.txt 2>&1")
                              .c_str()),
              0);
    std::string both = readFileText("both.txt");
    EXPECT_LT(both.rfind("Node_ID"), both.find(" frames ")) << both;
}

TEST_F(RecordMode, SixtyFramesASecondAreDrawnBetweenPassesAndTaggedBT709) {
    // Passes 0 to 49 last 49/50 s: at 60 fps frames 0 to 58, each its own moment.
    ProgramRun run = quarn("--record videos/sixty.mp4 --size 64x48 --passes 0-49 --fps 60");
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("Recorded 59 frames of 64x48 at 60 frames per second"), std::string::npos)
        << run.out;
    auto video = probeStream("videos/sixty.mp4", "v");
    EXPECT_EQ(video["nb_read_frames"], "59");
    EXPECT_EQ(video["r_frame_rate"], "60/1");
    EXPECT_NEAR(std::atof(video["duration"].c_str()), 59 / 60.0, 0.01);
    EXPECT_EQ(commandOutput("ffprobe -v error -select_streams v -show_entries "
                            "stream=color_space,color_transfer,color_primaries,color_range -of csv=p=0 "
                            "videos/sixty.mp4"),
              "tv,bt709,bt709,bt709\n");

    // The same frames, lossless: no two in a row alike while the camera flies.
    ProgramRun capture = quarn("--capture sixty --size 64x48 --passes 0-49 --fps 60");
    ASSERT_EQ(capture.code, 0) << capture.err;
    std::string previous;
    for (int frame = 0; frame < 59; ++frame) {
        char name[32];
        std::snprintf(name, sizeof name, "sixty/frame%05d.png", frame);
        std::string bytes = readFileText(name);
        ASSERT_FALSE(bytes.empty()) << name;
        EXPECT_NE(bytes, previous) << name;
        previous = bytes;
    }
    EXPECT_FALSE(exists("sixty/frame00059.png"));
}

TEST_F(RecordMode, StopSignalsLeaveNoPartialFilesAndEndByTheSignal) {
    ASSERT_TRUE(makeToneMp3("demo.mp3", 1.0, 44100, 2));
    int status = signalledRun(
        "--record videos/demo.mp4 --size 320x240", [] { return exists("videos/.partial-demo.mp4"); },
        SIGTERM);
    ASSERT_TRUE(WIFSIGNALED(status)) << status << readFileText("quarn.err");
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
    EXPECT_EQ(commandOutput("ls -A videos tmp"), "tmp:\n\nvideos:\n")
        << "no partial video, no ffmpeg messages";
    EXPECT_NE(readFileText("quarn.err").find("quarn: recording stopped by signal 15; no video was written\n"),
              std::string::npos);

    runCommand("rm -rf frames");
    status = signalledRun(
        "--capture frames --size 320x240", [] { return exists("frames/frame00020.png"); }, SIGHUP);
    ASSERT_TRUE(WIFSIGNALED(status)) << status << readFileText("quarn.err");
    EXPECT_EQ(WTERMSIG(status), SIGHUP);
    std::string names = commandOutput("ls frames");
    EXPECT_NE(readFileText("quarn.err").find("quarn: capture stopped by signal 1 after "), std::string::npos);
    for (size_t pos = 0, end; (end = names.find('\n', pos)) != std::string::npos; pos = end + 1) {
        int width = 0, height = 0;
        std::vector<unsigned char> rgb;
        std::string error;
        EXPECT_TRUE(readPng("frames/" + names.substr(pos, end - pos), width, height, rgb, error)) << error;
    }
}

TEST_F(RecordMode, FailuresLeaveNoVideo) {
    // ffmpeg can't be found: the reason, exit code 1, nothing written.
    ProgramRun missing = quarn("--record videos/demo.mp4 --passes 0-9 --size 64x48", "PATH=/nonexistent");
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("Can't record the video: can't record: the program \"ffmpeg\" was not found"),
              std::string::npos)
        << missing.err;
    EXPECT_FALSE(exists("videos/demo.mp4"));

    // A soundtrack that can't be decoded: a silent video, as the demo plays silently.
    ASSERT_TRUE(writeFileText("demo.mp3", "no audio in here"));
    ProgramRun bad = quarn("--record videos/demo.mp4 --passes 0-99 --size 64x48");
    EXPECT_EQ(bad.code, 0) << bad.err;
    EXPECT_NE(
        bad.err.find("quarn: demo.mp3 holds no MP3 audio that can be decoded: recording the video without "
                     "sound\n"),
        std::string::npos)
        << bad.err;
    EXPECT_NE(bad.out.find(", without sound (demo.mp3 can't be decoded)\n"), std::string::npos) << bad.out;
    EXPECT_EQ(probeStream("videos/demo.mp4", "v")["nb_read_frames"], "100");
    EXPECT_TRUE(probeStream("videos/demo.mp4", "a").empty());
    std::remove("videos/demo.mp4");

    ProgramRun noName = quarn("--record");
    EXPECT_EQ(noName.code, USAGE_EXIT_CODE);
    EXPECT_NE(noName.err.find("--record needs a video file name"), std::string::npos) << noName.err;
    ProgramRun twoModes = quarn("--record a.mp4 --capture dir");
    EXPECT_EQ(twoModes.code, USAGE_EXIT_CODE);
    EXPECT_NE(twoModes.err.find("choose one of --capture, --record and --benchmark"), std::string::npos);
}

} // namespace

namespace {

TEST(RecordCommandLine, TakesAFileWithSizeAndPasses) {
    const char* args[] = {"quarn", "--record", "out/demo.mp4", "--size", "320x200", "--passes", "5-9"};
    CommandLine line;
    std::string error;
    ASSERT_TRUE(parseCommandLine(7, args, line, error)) << error;
    EXPECT_EQ(line.mode, CommandLine::RECORD);
    EXPECT_EQ(line.videoFile, "out/demo.mp4");
    EXPECT_EQ(line.width, 320);
    EXPECT_EQ(line.height, 200);
    EXPECT_EQ(line.firstPass, 5);
    EXPECT_EQ(line.lastPass, 9);

    const char* plain[] = {"quarn", "--record", "v.mp4"};
    ASSERT_TRUE(parseCommandLine(3, plain, line, error)) << error;
    EXPECT_EQ(line.width, 640);
    EXPECT_EQ(line.height, 480);
    const char* empty[] = {"quarn", "--record", ""};
    EXPECT_FALSE(parseCommandLine(3, empty, line, error));
    EXPECT_EQ(error, "--record needs a video file name");
}

} // namespace
