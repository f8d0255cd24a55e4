// Music on Windows: MP3 parsing, ACM decoding with gapless looping, and the player on
// a waveOut device. The MP3 files come from scripts/test-windows.sh (made with lame
// from exactly known signals) in the folder named by QUARN_TEST_AUDIO_DIR.
#include "audio/mp3_stream_win32.h"
#include "audio/music_player.h"
#include "win32_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const double PI = 3.14159265358979323846;

std::string audioFile(const char* name) {
    const char* dir = std::getenv("QUARN_TEST_AUDIO_DIR");
    return dir ? std::string(dir) + "\\" + name : std::string();
}

#define REQUIRE_AUDIO_FILES()                                                                                \
    if (audioFile("x").empty())                                                                              \
    GTEST_SKIP() << "QUARN_TEST_AUDIO_DIR is not set"

// The test signal: 441 Hz at half of full scale, a whole number of periods per second,
// so one second played in a loop is one unbroken sine.
double sine441(size_t sample) {
    return 16384.0 * std::sin(2.0 * PI * 441.0 * double(sample) / 44100.0);
}

// Root-mean-square distance of the left channel from the test signal, relative to its
// amplitude, over [from, to).
double sineError(const std::vector<int16_t>& stereo, size_t from, size_t to) {
    double sum = 0;
    for (size_t i = from; i < to; ++i) {
        double d = stereo[i * 2] - sine441(i);
        sum += d * d;
    }
    return std::sqrt(sum / double(to - from)) / 16384.0;
}

// A visible window in the foreground, as the demo has when the player is made.
struct ForegroundWindow {
    HWND window;
    ForegroundWindow() {
        window = CreateWindowExA(0, "STATIC", "music test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                 nullptr, nullptr, nullptr, nullptr);
        SetForegroundWindow(window);
        pumpMessages(50);
    }
    ~ForegroundWindow() { DestroyWindow(window); }
};

} // namespace

TEST(Mp3Parse, DataWithoutLayerThreeFramesIsRefused) {
    Mp3Layout layout;
    EXPECT_FALSE(parseMp3({}, layout));
    std::vector<unsigned char> noise(5000);
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<unsigned char>((i * 7919u) >> 3);
    EXPECT_FALSE(parseMp3(noise, layout));
    // An ID3 tag that claims more bytes than the file has.
    std::vector<unsigned char> tag = {'I', 'D', '3', 4, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F, 0xFF, 0xFB, 0x90, 0x00};
    EXPECT_FALSE(parseMp3(tag, layout));
}

TEST(Mp3Stream, LoopsTheExactSignalWithoutAGapAtTheSeam) {
    REQUIRE_AUDIO_FILES();
    Mp3LoopStream stream;
    ASSERT_TRUE(stream.open(audioFile("sine441_stereo.mp3").c_str()));
    const Mp3Layout& layout = stream.layout();
    EXPECT_EQ(layout.sampleRate, 44100);
    EXPECT_EQ(layout.channels, 2);
    EXPECT_EQ(layout.lengthSamples, 44100u); // the encoder's delay and padding are known and dropped

    std::vector<int16_t> out(3 * 44100 * 2);
    ASSERT_EQ(stream.read(out.data(), 3 * 44100), size_t(3 * 44100));
    EXPECT_LT(sineError(out, 0, 44100), 0.05);
    EXPECT_LT(sineError(out, 44100 - 2000, 44100 + 2000), 0.05) << "first seam";
    EXPECT_LT(sineError(out, 2 * 44100 - 2000, 2 * 44100 + 2000), 0.05) << "second seam";
    for (size_t i = 0; i < 3 * 44100; ++i)
        ASSERT_NEAR(out[i * 2], out[i * 2 + 1], 200) << i;
}

TEST(Mp3Stream, MonoAtAnotherRateComesAsStereoAt44100) {
    REQUIRE_AUDIO_FILES();
    Mp3LoopStream stream;
    ASSERT_TRUE(stream.open(audioFile("sine441_mono22050.mp3").c_str()));
    EXPECT_EQ(stream.layout().channels, 1);
    EXPECT_EQ(stream.layout().sampleRate, 22050);
    std::vector<int16_t> out(2 * 44100 * 2);
    ASSERT_EQ(stream.read(out.data(), 2 * 44100), size_t(2 * 44100));
    // 441 periods per second of output: the rate is right after conversion.
    int rising = 0;
    double power = 0;
    for (size_t i = 44100; i < 2 * 44100; ++i) {
        EXPECT_EQ(out[i * 2], out[i * 2 + 1]);
        if (out[(i - 1) * 2] < 0 && out[i * 2] >= 0)
            ++rising;
        power += double(out[i * 2]) * out[i * 2];
    }
    EXPECT_NEAR(rising, 441, 3);
    EXPECT_NEAR(std::sqrt(power / 44100) / (16384 / std::sqrt(2.0)), 1.0, 0.1);
}

TEST(MusicPlayer, PlaysAFileAndStaysSilentWithoutOne) {
    REQUIRE_AUDIO_FILES();
    if (std::getenv("QUARN_TEST_NO_AUDIO_DEVICE"))
        GTEST_SKIP() << "no audio device in this run";
    FatalThrows fatal;
    ForegroundWindow foreground;
    MusicPlayer player;
    EXPECT_TRUE(player.ready);
    EXPECT_FALSE(player.play()); // nothing loaded
    EXPECT_FALSE(player.loadStream(audioFile("missing.mp3").c_str()));
    EXPECT_EQ(player.stream, 0u);
    EXPECT_FALSE(player.play());

    ASSERT_TRUE(player.loadStream(audioFile("sine441_mono22050.mp3").c_str()));
    EXPECT_TRUE(player.mono);
    ASSERT_TRUE(player.loadStream(audioFile("sine441_stereo.mp3").c_str()));
    EXPECT_FALSE(player.mono);
    EXPECT_NE(player.stream, 0u);
    EXPECT_TRUE(player.play());
    Sleep(1500); // past the end of the one-second file: the loop goes on
    DWORD start = GetTickCount();
    player.stop();
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_EQ(player.stream, 0u);
    EXPECT_FALSE(player.play());
    player.stop(); // again, as the destructor will
}

TEST(MusicPlayerWithoutDevice, NoSoundMeansAMissingDeviceIsNoError) {
    if (!std::getenv("QUARN_TEST_NO_AUDIO_DEVICE"))
        GTEST_SKIP() << "runs only where no audio device opens";
    FatalThrows fatal;
    ForegroundWindow foreground;
    MusicPlayer player(true);
    EXPECT_FALSE(player.ready);
    EXPECT_FALSE(player.play());
}

TEST(MusicPlayerWithoutDeviceDeathTest, SoundOnWithoutADeviceEnds) {
    if (!std::getenv("QUARN_TEST_NO_AUDIO_DEVICE"))
        GTEST_SKIP() << "runs only where no audio device opens";
    EXPECT_EXIT(
        {
            ForegroundWindow foreground;
            MusicPlayer player(false);
        },
        ::testing::ExitedWithCode(1), "Could not init bass");
}
