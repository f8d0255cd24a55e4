// The video recorder with synthetic frames: the result is checked with ffprobe
// (frame count, rate, size, the looped soundtrack) and by decoding a frame back.
#include "app/video_recorder.h"
#include "../audio/audio_test_support.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <map>
#include <sys/stat.h>
#include <vector>

namespace {

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

using Stream = std::map<std::string, std::string>;

// The streams of a media file as ffprobe reports them, frames counted by decoding.
std::vector<Stream> probe(const std::string& path) {
    std::string text = commandOutput("ffprobe -v error -count_frames -show_entries "
                                     "stream=codec_type,width,height,r_frame_rate,nb_read_frames,duration '" +
                                     path + "'");
    std::vector<Stream> streams;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (line == "[STREAM]")
            streams.emplace_back();
        size_t eq = line.find('=');
        if (eq != std::string::npos && !streams.empty())
            streams.back()[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return streams;
}

const Stream* streamOf(const std::vector<Stream>& streams, const std::string& type) {
    for (const Stream& s : streams)
        if (s.count("codec_type") && s.at("codec_type") == type)
            return &s;
    return nullptr;
}

bool exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

// Names in a folder, other than . and ..
std::vector<std::string> folderNames(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            std::string name = e->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        closedir(d);
    }
    return names;
}

// A frame whose top half is red and bottom half blue, with a green bar that moves
// with the frame number.
std::vector<unsigned char> syntheticFrame(int width, int height, int number) {
    std::vector<unsigned char> rgb(static_cast<size_t>(width * height * 3));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            unsigned char* p = &rgb[static_cast<size_t>((y * width + x) * 3)];
            bool top = y < height / 2;
            p[0] = top ? 220 : 20;
            p[1] = x == number % width ? 200 : 20;
            p[2] = top ? 20 : 220;
        }
    return rgb;
}

class VideoRecorderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        runCommand("rm -rf out && mkdir out");
        ASSERT_TRUE(makeToneMp3("tone.mp3", 0.5, 44100, 2));
    }
    // Records `count` synthetic frames; true when the recording finished.
    bool record(VideoRecorder& recorder, const std::string& path, int width, int height, int count,
                const std::string& soundtrack) {
        if (!recorder.start(path, width, height, 50, soundtrack))
            return false;
        for (int i = 0; i < count; ++i) {
            std::vector<unsigned char> frame = syntheticFrame(width, height, i);
            if (!recorder.writeFrame(frame.data()))
                return false;
        }
        return recorder.finish();
    }
};

TEST_F(VideoRecorderTest, WritesEveryFrameAt50FpsWithTheSoundtrackLoopedToTheVideosLength) {
    VideoRecorder recorder;
    ASSERT_TRUE(record(recorder, "out/demo.mp4", 64, 48, 100, "tone.mp3")) << recorder.errorText();
    EXPECT_EQ(recorder.framesWritten(), 100);
    EXPECT_EQ(folderNames("out"), std::vector<std::string>{"demo.mp4"}) << "no partial or log files left";

    std::vector<Stream> streams = probe("out/demo.mp4");
    const Stream* video = streamOf(streams, "video");
    const Stream* audio = streamOf(streams, "audio");
    ASSERT_TRUE(video);
    ASSERT_TRUE(audio) << "the soundtrack is in the video";
    EXPECT_EQ(video->at("nb_read_frames"), "100");
    EXPECT_EQ(video->at("r_frame_rate"), "50/1");
    EXPECT_EQ(video->at("width"), "64");
    EXPECT_EQ(video->at("height"), "48");
    // Two seconds of video: the half-second tone had to repeat four times.
    EXPECT_NEAR(std::atof(video->at("duration").c_str()), 2.0, 0.01);
    EXPECT_NEAR(std::atof(audio->at("duration").c_str()), 2.0, 0.1);

    // The first frame decoded back: red on top, blue below (rows top first).
    std::string raw =
        commandOutput("ffmpeg -v error -i out/demo.mp4 -frames:v 1 -f rawvideo -pix_fmt rgb24 - 2>/dev/null");
    ASSERT_EQ(raw.size(), 64u * 48u * 3u);
    auto pixel = [&](int x, int y, int c) { return static_cast<unsigned char>(raw[(y * 64 + x) * 3 + c]); };
    EXPECT_GT(pixel(32, 5, 0), 180);
    EXPECT_LT(pixel(32, 5, 2), 60);
    EXPECT_LT(pixel(32, 42, 0), 60);
    EXPECT_GT(pixel(32, 42, 2), 180);
}

TEST_F(VideoRecorderTest, SilentVideoWithoutSoundtrackAndOddSizesPadded) {
    VideoRecorder recorder;
    ASSERT_TRUE(record(recorder, "out/silent.mp4", 63, 47, 10, "")) << recorder.errorText();
    std::vector<Stream> streams = probe("out/silent.mp4");
    const Stream* video = streamOf(streams, "video");
    ASSERT_TRUE(video);
    EXPECT_EQ(streamOf(streams, "audio"), nullptr);
    EXPECT_EQ(video->at("nb_read_frames"), "10");
    EXPECT_EQ(video->at("width"), "64");
    EXPECT_EQ(video->at("height"), "48");
}

TEST_F(VideoRecorderTest, MissingFfmpegIsAClearError) {
    VideoRecorder recorder;
    recorder.program = "quarn-no-such-ffmpeg";
    EXPECT_FALSE(recorder.start("out/demo.mp4", 64, 48, 50, "tone.mp3"));
    EXPECT_NE(recorder.errorText().find("was not found (install Debian's ffmpeg package)"), std::string::npos)
        << recorder.errorText();
    EXPECT_FALSE(recorder.running());
    std::vector<unsigned char> frame = syntheticFrame(64, 48, 0);
    EXPECT_FALSE(recorder.writeFrame(frame.data()));
    EXPECT_FALSE(recorder.finish());
    EXPECT_TRUE(folderNames("out").empty());
}

TEST_F(VideoRecorderTest, FailingEncoderIsReportedWithItsReasonAndLeavesNothing) {
    // A soundtrack that isn't audio: ffmpeg gives up at once, while frames are still
    // being written (which must not end this process with SIGPIPE).
    ASSERT_TRUE(writeFileText("noise.mp3", "not audio at all"));
    VideoRecorder recorder;
    EXPECT_FALSE(record(recorder, "out/demo.mp4", 320, 240, 200, "noise.mp3"));
    EXPECT_NE(recorder.errorText().find("noise.mp3"), std::string::npos) << recorder.errorText();
    EXPECT_FALSE(recorder.running());
    EXPECT_TRUE(folderNames("out").empty());

    // A folder that doesn't exist.
    VideoRecorder nowhere;
    EXPECT_FALSE(record(nowhere, "no-such-folder/demo.mp4", 64, 48, 5, ""));
    EXPECT_NE(nowhere.errorText().find("no-such-folder"), std::string::npos) << nowhere.errorText();
    EXPECT_EQ(nowhere.errorText().find("not found"), std::string::npos) << nowhere.errorText();

    VideoRecorder badSize;
    EXPECT_FALSE(badSize.start("out/demo.mp4", 0, 48, 50, ""));
    EXPECT_FALSE(badSize.start("out/demo.mp4", 64, 100000, 50, ""));
    EXPECT_FALSE(badSize.start("out/", 64, 48, 50, ""));
    EXPECT_TRUE(folderNames("out").empty());
}

TEST_F(VideoRecorderTest, UnfinishedRecordingIsRemovedAndAnOldVideoKept) {
    ASSERT_TRUE(writeFileText("out/demo.mp4", "the previous video"));
    {
        VideoRecorder recorder;
        ASSERT_TRUE(recorder.start("out/demo.mp4", 64, 48, 50, "tone.mp3"));
        std::vector<unsigned char> frame = syntheticFrame(64, 48, 0);
        ASSERT_TRUE(recorder.writeFrame(frame.data()));
        // Destroyed without finish().
    }
    EXPECT_EQ(folderNames("out"), std::vector<std::string>{"demo.mp4"});
    EXPECT_EQ(readFileText("out/demo.mp4"), "the previous video");

    VideoRecorder empty;
    ASSERT_TRUE(empty.start("out/empty.mp4", 64, 48, 50, ""));
    EXPECT_FALSE(empty.finish());
    EXPECT_FALSE(exists("out/empty.mp4"));
}

TEST_F(VideoRecorderTest, AnEncoderThatStopsReadingEndsTheRecordingAfterTheStallTime) {
    // A stand-in for ffmpeg that never reads its input; the pipe fills up.
    ASSERT_TRUE(writeFileText("stuck-encoder", "#!/bin/sh\nexec sleep 60\n"));
    runCommand("chmod +x stuck-encoder");
    VideoRecorder recorder;
    recorder.program = "./stuck-encoder";
    recorder.stallSeconds = 0.5;
    ASSERT_TRUE(recorder.start("out/demo.mp4", 320, 240, 50, "")) << recorder.errorText();
    std::vector<unsigned char> frame = syntheticFrame(320, 240, 0);
    int accepted = 0;
    while (accepted < 100 && recorder.writeFrame(frame.data()))
        ++accepted;
    EXPECT_LT(accepted, 100);
    EXPECT_NE(recorder.errorText().find("ffmpeg has read nothing for 0.5 seconds after "), std::string::npos)
        << recorder.errorText();
    EXPECT_NE(recorder.errorText().find(" frames: it seems to be stuck"), std::string::npos);
    EXPECT_FALSE(recorder.running()) << "the stuck encoder was ended";
    EXPECT_TRUE(folderNames("out").empty());
}

TEST(RecordProgressLine, ShowsFramesTotalSpeedAndTimeLeft) {
    EXPECT_EQ(recordProgressLine(0, 1000, 0.0, 50),
              "[------------------------------] 0:00.0/0:20.0 video (0/1000 frames)");
    // 250 frames in 2.5 s: 100 frames a second, twice real time, 7.5 s to go.
    EXPECT_EQ(recordProgressLine(250, 1000, 2.5, 50),
              "[#######-----------------------] 0:05.0/0:20.0 video (250/1000 frames)  2.0x  0:08 left");
    EXPECT_EQ(recordProgressLine(1000, 1000, 40.0, 50),
              "[##############################] 0:20.0/0:20.0 video (1000/1000 frames)  0.5x  0:00 left");
    EXPECT_EQ(recordProgressLine(5, 0, 1.0, 50).substr(0, 32), "[##############################]");
}

} // namespace
