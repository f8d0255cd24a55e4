// The music player on Linux: libmpg123 decodes the MP3 file while SDL's audio
// thread pulls samples from it, so playback needs no calls from the main loop.
// The output is always 44100 Hz, 16-bit stereo: mpg123 resamples and up-mixes
// whatever the file holds.
#include "audio/music_player.h"

#include "audio/music_window.h"
#include "log/log.h"
#include "log/regular_file.h"

#include <SDL.h>
#include <mpg123.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

constexpr long OUTPUT_RATE = 44100;
constexpr int OUTPUT_CHANNELS = 2;

// Said with every audio failure: the demo itself doesn't need the music.
const char* const NO_SOUND_HINT = "Choose \"No Sound\" in the launch dialog to play the demo without music.";

// Why SDL's audio system did not start, for the person reading the error.
std::string audioSystemDetail() {
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    std::string detail = driver && *driver ? "The audio driver \"" + std::string(driver) +
                                                 "\" named by SDL_AUDIODRIVER is not available.\n"
                                           : std::string("No audio system could be started.\n");
    return detail + NO_SOUND_HINT;
}

std::string audioDeviceDetail() {
    return std::string("No audio output device could be opened.\n") + NO_SOUND_HINT;
}

// Sends standard error to the null device while alive: ALSA's library writes a line
// for every device it tries and fails, before the program can say the one thing that
// matters.
class QuietStandardError {
  public:
    QuietStandardError() {
        std::fflush(stderr);
        saved_ = dup(STDERR_FILENO);
        int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved_ >= 0 && null >= 0)
            dup2(null, STDERR_FILENO);
        if (null >= 0)
            close(null);
    }
    ~QuietStandardError() { restore(); }
    void restore() {
        if (saved_ < 0)
            return;
        dup2(saved_, STDERR_FILENO);
        close(saved_);
        saved_ = -1;
    }
    QuietStandardError(const QuietStandardError&) = delete;
    QuietStandardError& operator=(const QuietStandardError&) = delete;

  private:
    int saved_ = -1;
};

} // namespace

bool (*MusicPlayer::playWithoutDevice)() = nullptr;

struct MusicPlayerImpl {
    bool sdlAudio = false;        // SDL's audio subsystem was initialised by us
    bool decoderLibrary = false;  // mpg123_init succeeded
    SDL_AudioDeviceID device = 0; // the open output device, paused until play
    mpg123_handle* decoder = nullptr;
    // Set by the audio thread when the stream yields no samples at all from its
    // start: it is then played as silence instead of being restarted forever.
    bool exhausted = false;
    std::FILE* input = nullptr; // the MP3 file, open for as long as it is the stream
    int file = -1;              // its descriptor, which the decoder reads
    uint32_t nextStream = 1;

    // Fills the device buffer from the decoder. At the end of the file the decoder
    // is rewound to its first sample and the same buffer goes on filling, so the
    // loop has no gap. Runs on SDL's audio thread.
    static void fill(void* userData, Uint8* out, int length) {
        MusicPlayerImpl& self = *static_cast<MusicPlayerImpl*>(userData);
        size_t done = 0;
        const size_t wanted = static_cast<size_t>(length);
        bool rewoundWithoutOutput = false;
        while (done < wanted && self.decoder && !self.exhausted) {
            size_t got = 0;
            int result = mpg123_read(self.decoder, out + done, wanted - done, &got);
            done += got;
            if (got > 0)
                rewoundWithoutOutput = false;
            if (result == MPG123_OK || result == MPG123_NEW_FORMAT)
                continue;
            // The end of the stream, or a part that can't be decoded: start again
            // from the first sample, unless nothing at all came since the last rewind.
            if (rewoundWithoutOutput || !self.rewind()) {
                self.exhausted = true;
                break;
            }
            rewoundWithoutOutput = true;
        }
        if (done < wanted)
            std::memset(out + done, 0, wanted - done);
    }

    // Back to the first sample. The decoder starts afresh on the file rather than
    // seeking in it: a seek keeps the synthesis filter's history, which changes the
    // first frames of the next loop by a sample value here and there.
    bool rewind() { return startDecoder(decoder, file); }

    void closeDecoder() {
        if (decoder) {
            mpg123_close(decoder);
            mpg123_delete(decoder);
            decoder = nullptr;
        }
        if (input) {
            std::fclose(input);
            input = nullptr;
            file = -1;
        }
    }

    static bool startDecoder(mpg123_handle* decoder, int file) {
        return lseek(file, 0, SEEK_SET) == 0 && mpg123_open_fd(decoder, file) == MPG123_OK;
    }

    // Releases everything: the device (which waits for the audio thread), the
    // decoder and the libraries.
    void release() {
        if (device) {
            SDL_CloseAudioDevice(device);
            device = 0;
        }
        closeDecoder();
        if (sdlAudio) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            sdlAudio = false;
        }
        if (decoderLibrary) {
            mpg123_exit();
            decoderLibrary = false;
        }
    }
};

namespace {

MusicPlayerImpl& implOf(void* impl) {
    return *static_cast<MusicPlayerImpl*>(impl);
}

// Opens the MP3 file for decoding to the output format; nullptr when it can't be
// opened or holds no MPEG audio. The decoder reads from `file`, which the caller
// closes after the decoder.
mpg123_handle* openDecoder(int file, bool& mono) {
    int result = MPG123_OK;
    mpg123_handle* decoder = mpg123_new(nullptr, &result);
    if (!decoder)
        return nullptr;
    mpg123_param(decoder, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    bool ok = mpg123_format_none(decoder) == MPG123_OK &&
              mpg123_format(decoder, OUTPUT_RATE, MPG123_STEREO, MPG123_ENC_SIGNED_16) == MPG123_OK &&
              MusicPlayerImpl::startDecoder(decoder, file);
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    // Reading the format parses the first frame: a file with no MPEG audio fails here.
    ok = ok && mpg123_getformat(decoder, &rate, &channels, &encoding) == MPG123_OK;
    mpg123_frameinfo info;
    ok = ok && mpg123_info(decoder, &info) == MPG123_OK;
    if (!ok) {
        mpg123_close(decoder);
        mpg123_delete(decoder);
        return nullptr;
    }
    mono = info.mode == MPG123_M_MONO;
    return decoder;
}

} // namespace

MusicPlayer::MusicPlayer(bool soundOff) {
    mono = false;
    impl = new MusicPlayerImpl;
    MusicPlayerImpl& self = implOf(impl);
    // Releases what was set up before reporting: the error ends the process.
    auto fail = [this](const char* text, const std::string& detail) {
        implOf(impl).release();
        delete &implOf(impl);
        impl = nullptr;
        gLog.errorWithDetail(detail.c_str(), "%s", text);
    };

    // With no sound wanted the audio system is left alone: nothing will be played, and
    // some systems print warnings just for being asked.
    if (!soundOff) {
        // Both libraries must be present and initialise.
        self.decoderLibrary = mpg123_init() == MPG123_OK;
        if (!self.decoderLibrary)
            fail("Could't load bass.dll",
                 std::string("The MP3 decoder could not be started.\n") + NO_SOUND_HINT);
        QuietStandardError quiet;
        self.sdlAudio = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
        quiet.restore();
        if (!self.sdlAudio)
            fail("Could't load bass.dll", audioSystemDetail());
    }
    // The music belongs to the render window: without it there is nothing to play for.
    if (!musicWindowIsOpen())
        fail("Faild to get foreground window handel", "The render window is not open.");
    if (soundOff) {
        ready = false;
        return;
    }

    SDL_AudioSpec wanted;
    std::memset(&wanted, 0, sizeof wanted);
    wanted.freq = static_cast<int>(OUTPUT_RATE);
    wanted.format = AUDIO_S16SYS;
    wanted.channels = OUTPUT_CHANNELS;
    wanted.samples = 2048;
    wanted.callback = &MusicPlayerImpl::fill;
    wanted.userdata = &self;
    SDL_AudioSpec obtained;
    // No changes allowed: SDL converts to whatever the device needs.
    {
        QuietStandardError quiet;
        self.device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    }
    if (self.device == 0) {
        if (playWithoutDevice && playWithoutDevice())
            return;
        fail("Could not init bass", audioDeviceDetail());
    }
    ready = true;
}

MusicPlayer::~MusicPlayer() {
    stop();
    delete static_cast<MusicPlayerImpl*>(impl);
    impl = nullptr;
}

bool MusicPlayer::loadStream(const char* fileName) {
    std::fputs("[SOUND] Init BASS Sound system at 44100 khz\n", stdout);
    std::fflush(stdout);
    if (!ready)
        gLog.error("Fuck");
    MusicPlayerImpl& self = implOf(impl);
    if (!self.device || !fileName)
        return false; // stopped: output is released
    // Only a regular file can be a stream (opening a pipe could wait forever).
    std::FILE* input = openRegularFile(fileName, FileAccess::ReadBinary);
    if (!input)
        return false;
    // The decoder reads the descriptor itself; the stream only owns it.
    int file = fileno(input);
    bool fileMono = false;
    mpg123_handle* decoder = openDecoder(file, fileMono);
    if (!decoder) {
        std::fclose(input);
        return false;
    }
    // The device is paused here, but take its lock anyway: the audio thread must
    // never see a decoder that is being replaced.
    SDL_LockAudioDevice(self.device);
    self.closeDecoder();
    self.decoder = decoder;
    self.input = input;
    self.file = file;
    self.exhausted = false;
    SDL_UnlockAudioDevice(self.device);
    stream = self.nextStream++;
    mono = fileMono;
    std::printf("[SOUND] Playing ...%s\n", fileName);
    std::fflush(stdout);
    return true;
}

bool MusicPlayer::play() {
    if (stream == 0)
        return false;
    MusicPlayerImpl& self = implOf(impl);
    SDL_PauseAudioDevice(self.device, 0);
    return true;
}

void MusicPlayer::stop() {
    stream = 0;
    if (impl)
        implOf(impl).release();
}
