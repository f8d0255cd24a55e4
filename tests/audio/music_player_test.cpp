// The music player through SDL's disk audio driver: what reaches the "device" is
// compared sample for sample with mpg123's own decoding of the same file.
#include "app/gl_window.h"
#include "audio/music_player.h"
#include "audio_test_support.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <chrono>
#include <cstdlib>
#include <sys/stat.h>
#include <thread>

namespace {

long fileSize(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? static_cast<long>(info.st_size) : -1;
}

// Audio goes to a file through SDL's disk driver; the render window is stood in for
// by a marker, since the player only needs to know that it exists.
class MusicPlayerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
        // The disk driver waits this many ms per buffer (about 46 ms in real time).
        setenv("SDL_DISKAUDIODELAY", "5", 1);
        std::remove(output.c_str());
        std::remove("demo.mp3");
        gWindow.window = &windowMarker;
    }
    void TearDown() override {
        gWindow.window = nullptr;
        unsetenv("SDL_AUDIODRIVER");
        unsetenv("SDL_DISKAUDIOFILE");
        unsetenv("SDL_DISKAUDIODELAY");
    }

    // Plays the file until the output holds at least `wantedBytes`, then stops.
    void playUntil(MusicPlayer& player, long wantedBytes) {
        ASSERT_TRUE(player.play());
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (fileSize(output) < wantedBytes && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        player.stop();
        ASSERT_GE(fileSize(output), wantedBytes);
    }

    std::string output = "disk_audio.raw";
    int windowMarker = 0;
};

// Checks that `out` is silence, then the reference repeated without a gap: returns
// the number of complete repetitions found.
size_t loopsOfReference(const std::vector<int16_t>& out, const std::vector<int16_t>& ref) {
    size_t firstOut = 0;
    while (firstOut < out.size() && out[firstOut] == 0)
        ++firstOut;
    size_t firstRef = 0;
    while (firstRef < ref.size() && ref[firstRef] == 0)
        ++firstRef;
    EXPECT_LT(firstRef, ref.size());
    if (firstOut >= out.size() || firstOut < firstRef)
        return 0;
    size_t start = firstOut - firstRef;
    EXPECT_EQ(start % 2, 0u) << "the music must start on a whole stereo frame";
    for (size_t i = start; i < out.size(); ++i) {
        size_t k = (i - start) % ref.size();
        if (out[i] != ref[k]) {
            ADD_FAILURE() << "sample " << k << " of loop " << (i - start) / ref.size()
                          << " differs: " << out[i] << " instead of " << ref[k];
            return 0;
        }
    }
    return (out.size() - start) / ref.size();
}

TEST_F(MusicPlayerTest, LoopsTheDecodedFileSampleForSampleAcrossTheSeam) {
    ASSERT_TRUE(makeToneMp3("demo.mp3", 0.25, 44100, 2));
    std::vector<int16_t> ref = mpg123Reference("demo.mp3");
    ASSERT_GT(ref.size(), 44100u / 4);

    MusicPlayer player;
    EXPECT_TRUE(player.ready);
    testing::internal::CaptureStdout();
    bool loaded = player.loadStream("demo.mp3");
    std::string printed = testing::internal::GetCapturedStdout();
    ASSERT_TRUE(loaded);
    EXPECT_EQ(printed, "[SOUND] Init BASS Sound system at 44100 khz\n[SOUND] Playing ...demo.mp3\n");
    EXPECT_NE(player.stream, 0u);
    EXPECT_FALSE(player.mono);

    playUntil(player, static_cast<long>(ref.size() * 2 * 3 + 65536));
    EXPECT_EQ(player.stream, 0u);
    EXPECT_GE(loopsOfReference(readSamples(output), ref), 3u);
}

TEST_F(MusicPlayerTest, MonoFileIsFlaggedAndPlayedOnBothChannels) {
    ASSERT_TRUE(makeToneMp3("mono.mp3", 0.2, 44100, 1));
    std::vector<int16_t> ref = mpg123Reference("mono.mp3");
    ASSERT_FALSE(ref.empty());

    MusicPlayer player;
    ASSERT_TRUE(player.loadStream("mono.mp3"));
    EXPECT_TRUE(player.mono);
    playUntil(player, static_cast<long>(ref.size() * 2 * 2 + 65536));
    std::vector<int16_t> out = readSamples(output);
    EXPECT_GE(loopsOfReference(out, ref), 2u);
    for (size_t i = 0; i + 1 < out.size(); i += 2)
        ASSERT_EQ(out[i], out[i + 1]) << "frame " << i / 2;
}

TEST_F(MusicPlayerTest, MissingOrUnplayableFileMeansSilence) {
    MusicPlayer player;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(player.loadStream("demo.mp3"));
    EXPECT_FALSE(player.play());
    std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed, "[SOUND] Init BASS Sound system at 44100 khz\n");
    EXPECT_EQ(player.stream, 0u);

    ASSERT_TRUE(writeFileText("text.mp3", "this is not an MP3 file at all\n"));
    EXPECT_FALSE(player.loadStream("text.mp3"));
    ASSERT_TRUE(writeFileText("empty.mp3", ""));
    EXPECT_FALSE(player.loadStream("empty.mp3"));
    // A folder, and a pipe nobody writes to (opening it must not wait).
    mkdir("folder.mp3", 0755);
    EXPECT_FALSE(player.loadStream("folder.mp3"));
    std::remove("pipe.mp3");
    ASSERT_EQ(mkfifo("pipe.mp3", 0644), 0);
    EXPECT_FALSE(player.loadStream("pipe.mp3"));
    EXPECT_FALSE(player.play());
}

TEST_F(MusicPlayerTest, DamagedFilesPlayWithoutHangingOrCrashing) {
    ASSERT_TRUE(makeToneMp3("whole.mp3", 0.2, 44100, 2));
    std::string whole = readFileText("whole.mp3");
    ASSERT_GT(whole.size(), 1000u);
    // Cut inside the first frames, and a copy with its middle overwritten.
    std::string damaged = whole;
    for (size_t i = whole.size() / 3; i < whole.size() / 2; ++i)
        damaged[i] = static_cast<char>(i * 7);
    const std::string cases[] = {whole.substr(0, 300), whole.substr(0, 700), damaged};
    for (const std::string& bytes : cases) {
        ASSERT_TRUE(writeFileText("bad.mp3", bytes));
        std::remove(output.c_str());
        MusicPlayer player;
        if (player.loadStream("bad.mp3"))
            playUntil(player, 4 * 44100);
    }
}

TEST_F(MusicPlayerTest, PlayBeforeLoadFailsAndStopIsSafeTwice) {
    MusicPlayer player;
    EXPECT_FALSE(player.play());
    player.stop();
    player.stop();
    EXPECT_EQ(player.stream, 0u);
    // Output is released now: a file can no longer become a stream.
    ASSERT_TRUE(makeToneMp3("demo.mp3", 0.1, 44100, 2));
    testing::internal::CaptureStdout();
    EXPECT_FALSE(player.loadStream("demo.mp3"));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[SOUND] Init BASS Sound system at 44100 khz\n");
    EXPECT_FALSE(player.play());
    // The destructor stops a third time.
}

TEST_F(MusicPlayerTest, DeviceThatCannotOpenIsFatalOnlyWithSoundOn) {
    setenv("SDL_DISKAUDIOFILE", "no-such-folder/audio.raw", 1);
    EXPECT_EQ(fatalTextOf([] { MusicPlayer player(false); }), "Could not init bass");

    // Asked whether to go on without music, Yes gives a silent player, No the error.
    static int asked = 0;
    MusicPlayer::playWithoutDevice = [] { return ++asked == 1; };
    EXPECT_EQ(fatalTextOf([] { EXPECT_FALSE(MusicPlayer(false).ready); }), "<no error>");
    EXPECT_EQ(fatalTextOf([] { MusicPlayer player(false); }), "Could not init bass");
    MusicPlayer::playWithoutDevice = nullptr;
    EXPECT_EQ(asked, 2);

    // ALSA's own lines about each device it failed to open stay off standard error.
    setenv("SDL_AUDIODRIVER", "alsa", 1);
    setenv("AUDIODEV", "no-such-device", 1);
    testing::internal::CaptureStderr();
    fatalTextOf([] { MusicPlayer player(false); });
    std::string shown = testing::internal::GetCapturedStderr();
    unsetenv("AUDIODEV");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    EXPECT_EQ(shown.find("ALSA lib"), std::string::npos) << shown;

    std::string text = fatalTextOf([] {
        MusicPlayer player(true);
        EXPECT_FALSE(player.ready);
        EXPECT_FALSE(player.play());
    });
    EXPECT_EQ(text, "<no error>");

    // A player without output must not be asked to load: that is a fatal misuse.
    EXPECT_EQ(fatalTextOf([] {
                  MusicPlayer player(true);
                  testing::internal::CaptureStdout();
                  try {
                      player.loadStream("demo.mp3");
                  } catch (...) {
                      testing::internal::GetCapturedStdout();
                      throw;
                  }
              }),
              "Fuck");
}

TEST_F(MusicPlayerTest, NoAudioSystemIsFatalOnlyWithSoundOn) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_EQ(fatalTextOf([] { MusicPlayer player(false); }), "Could't load bass.dll");
    EXPECT_EQ(fatalTextOf([] {
                  MusicPlayer player(true);
                  EXPECT_FALSE(player.ready);
              }),
              "<no error>");
}

TEST_F(MusicPlayerTest, NeedsTheRenderWindow) {
    gWindow.window = nullptr;
    EXPECT_EQ(fatalTextOf([] { MusicPlayer player(false); }), "Faild to get foreground window handel");
    EXPECT_EQ(fatalTextOf([] { MusicPlayer player(true); }), "Faild to get foreground window handel");
}

} // namespace

TEST(MusicPlayerMessages, NoSoundLeavesTheAudioSystemAloneAndFailuresSayWhy) {
    int windowMarker = 0;
    gWindow.window = &windowMarker;
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    {
        MusicPlayer player(true);
        EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    }
    testing::internal::CaptureStderr();
    EXPECT_EQ(fatalTextOf([] { MusicPlayer player(false); }), "Could't load bass.dll");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Could't load bass.dll\nThe audio driver \"no-such-driver\" named by SDL_AUDIODRIVER is not "
              "available.\nChoose \"No Sound\" in the launch dialog to play the demo without music.\n");
    unsetenv("SDL_AUDIODRIVER");
    gWindow.window = nullptr;
}
