// The music player on Windows: the MP3 file decoded through the ACM MP3 codec and
// played on the default waveOut device at 44100 Hz. A few buffers rotate: a worker
// thread refills each one the device has finished and queues it again, so playback
// runs on its own once started, and the main loop never calls the player.
#include "audio/music_player.h"

#include "audio/mp3_stream_win32.h"
#include "log/log.h"

#include <windows.h>

#include <mmreg.h>
#include <mmsystem.h>
#include <msacm.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const int BUFFER_COUNT = 4;
const size_t BUFFER_FRAMES = 8192; // about 0.19 s each

// Said with every audio failure: the demo itself doesn't need the music.
const char* const NO_SOUND_HINT = "Choose \"No Sound\" in the launch dialog to play the demo without music.";

struct WaveOutput {
    HWAVEOUT device = nullptr;
    HANDLE bufferDone = nullptr; // signalled by the device when it finishes a buffer
    HANDLE worker = nullptr;
    volatile LONG stopping = 0;
    Mp3LoopStream source;
    WAVEHDR headers[BUFFER_COUNT];
    std::vector<int16_t> buffers[BUFFER_COUNT];
    bool prepared = false;
};

WaveOutput& outputOf(void* impl) {
    return *static_cast<WaveOutput*>(impl);
}

// Fills one buffer from the stream (silence where the stream fails) and queues it.
void queueBuffer(WaveOutput& out, int index) {
    std::vector<int16_t>& samples = out.buffers[index];
    size_t got = out.source.read(samples.data(), BUFFER_FRAMES);
    std::fill(samples.begin() + std::ptrdiff_t(got * 2), samples.end(), int16_t(0));
    out.headers[index].dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
    waveOutWrite(out.device, &out.headers[index], sizeof(WAVEHDR));
}

DWORD WINAPI refillBuffers(LPVOID parameter) {
    WaveOutput& out = *static_cast<WaveOutput*>(parameter);
    while (!InterlockedCompareExchange(&out.stopping, 0, 0)) {
        WaitForSingleObject(out.bufferDone, 50);
        for (int i = 0; i < BUFFER_COUNT && !InterlockedCompareExchange(&out.stopping, 0, 0); ++i) {
            if (out.headers[i].dwFlags & WHDR_DONE)
                queueBuffer(out, i);
        }
    }
    return 0;
}

} // namespace

bool (*MusicPlayer::playWithoutDevice)() = nullptr;

MusicPlayer::MusicPlayer(bool soundOff) {
    // 1.
    mono = false;

    // 2. The audio compression manager must be there and working. With "No Sound"
    // chosen the audio system is left alone: nothing will be played.
    if (!soundOff && (acmGetVersion() >> 24) < 3)
        gLog.errorWithDetail((std::string("The MP3 decoder could not be started.\n") + NO_SOUND_HINT).c_str(),
                             "Could't load bass.dll");

    // 3.
    if (!GetForegroundWindow())
        gLog.errorWithDetail("The render window is not open.", "Faild to get foreground window handel");
    WaveOutput* out = new WaveOutput;
    impl = out;
    ready = false;
    if (soundOff)
        return;

    // 4. The default output device at 44100 Hz, 16-bit stereo.
    out->bufferDone = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    WAVEFORMATEX format;
    std::memset(&format, 0, sizeof format);
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = Mp3LoopStream::OUTPUT_RATE;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    if (!out->bufferDone ||
        waveOutOpen(&out->device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(out->bufferDone), 0,
                    CALLBACK_EVENT) != MMSYSERR_NOERROR) {
        out->device = nullptr;
        if (playWithoutDevice && playWithoutDevice())
            return;
        gLog.errorWithDetail(
            (std::string("No audio output device could be opened.\n") + NO_SOUND_HINT).c_str(),
            "Could not init bass");
    }
    ready = true;
}

MusicPlayer::~MusicPlayer() {
    stop();
    if (impl) {
        delete &outputOf(impl);
        impl = nullptr;
    }
}

bool MusicPlayer::loadStream(const char* fileName) {
    // 1.
    std::puts("[SOUND] Init BASS Sound system at 44100 khz");
    std::fflush(stdout);
    // 2.
    if (!ready)
        gLog.error("Fuck");
    WaveOutput& out = outputOf(impl);
    if (!out.device)
        return false;

    // 3. A file that can't be read or decoded means a silent demo, without a message.
    if (!out.source.open(fileName))
        return false;
    stream = 1;
    // 4.
    mono = out.source.layout().channels == 1;

    // 5. Output starts with play(): the device is open and idle until buffers arrive.
    // 6.
    std::printf("[SOUND] Playing ...%s\n", fileName);
    std::fflush(stdout);
    // 7.
    return true;
}

bool MusicPlayer::play() {
    if (stream == 0)
        return false;
    WaveOutput& out = outputOf(impl);
    if (out.worker)
        return true; // already playing
    for (int i = 0; i < BUFFER_COUNT; ++i) {
        out.buffers[i].assign(BUFFER_FRAMES * 2, 0);
        std::memset(&out.headers[i], 0, sizeof(WAVEHDR));
        out.headers[i].lpData = reinterpret_cast<LPSTR>(out.buffers[i].data());
        out.headers[i].dwBufferLength = static_cast<DWORD>(BUFFER_FRAMES * 4);
        waveOutPrepareHeader(out.device, &out.headers[i], sizeof(WAVEHDR));
    }
    out.prepared = true;
    for (int i = 0; i < BUFFER_COUNT; ++i)
        queueBuffer(out, i);
    InterlockedExchange(&out.stopping, 0);
    out.worker = CreateThread(nullptr, 0, refillBuffers, &out, 0, nullptr);
    return true;
}

void MusicPlayer::stop() {
    // 1.
    stream = 0;
    // 2. Release the output: the worker first, then the buffers, then the device.
    if (!impl)
        return;
    WaveOutput& out = outputOf(impl);
    if (out.worker) {
        InterlockedExchange(&out.stopping, 1);
        SetEvent(out.bufferDone);
        WaitForSingleObject(out.worker, INFINITE);
        CloseHandle(out.worker);
        out.worker = nullptr;
    }
    if (out.device) {
        waveOutReset(out.device);
        if (out.prepared) {
            for (int i = 0; i < BUFFER_COUNT; ++i)
                waveOutUnprepareHeader(out.device, &out.headers[i], sizeof(WAVEHDR));
            out.prepared = false;
        }
        waveOutClose(out.device);
        out.device = nullptr;
    }
    if (out.bufferDone) {
        CloseHandle(out.bufferDone);
        out.bufferDone = nullptr;
    }
    out.source.close();
}
