#include "app/record.h"

#include "app/capture.h"
#include "app/stop_signal.h"
#include "app/video_recorder.h"
#include "log/log.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <mpg123.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const SOUNDTRACK = "demo.mp3";
// libx264's threads while this program draws beside it (0: the encoder's own choice).
constexpr int RECORD_THREADS = 2;

// The recording in progress, cancelled if the process ends on a fatal error: the
// video then never appears half-written.
VideoRecorder* activeRecorder = nullptr;

void cancelActiveRecording() {
    if (activeRecorder)
        activeRecorder->cancel();
}

bool isReadableFile(const char* path) {
    struct stat info;
    return stat(path, &info) == 0 && S_ISREG(info.st_mode) && access(path, R_OK) == 0;
}

// True when the MP3 decoder finds MPEG audio at the start of the file: the rule by
// which the demo plays its music or stays silent.
bool soundtrackDecodes(const char* path) {
    if (mpg123_init() != MPG123_OK)
        return false;
    int result = MPG123_OK;
    mpg123_handle* decoder = mpg123_new(nullptr, &result);
    bool ok = decoder != nullptr;
    int file = ok ? open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK) : -1;
    if (ok) {
        mpg123_param(decoder, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
        long rate = 0;
        int channels = 0;
        int encoding = 0;
        ok = file >= 0 && mpg123_open_fd(decoder, file) == MPG123_OK &&
             mpg123_getformat(decoder, &rate, &channels, &encoding) == MPG123_OK;
        mpg123_close(decoder);
        mpg123_delete(decoder);
    }
    if (file >= 0)
        close(file);
    mpg123_exit();
    return ok;
}

enum class Sound { WITH, NO_FILE, UNDECODABLE };

Sound chooseSound() {
    // Like the demo, a missing or undecodable soundtrack means a silent video.
    if (!isReadableFile(SOUNDTRACK))
        return Sound::NO_FILE;
    if (!soundtrackDecodes(SOUNDTRACK)) {
        std::fprintf(stderr,
                     "quarn: %s holds no MP3 audio that can be decoded: recording the video without "
                     "sound\n",
                     SOUNDTRACK);
        return Sound::UNDECODABLE;
    }
    return Sound::WITH;
}

const char* soundText(Sound sound) {
    switch (sound) {
    case Sound::WITH:
        return "with the soundtrack demo.mp3";
    case Sound::NO_FILE:
        return "without sound (no demo.mp3 to read)";
    case Sound::UNDECODABLE:
        break;
    }
    return "without sound (demo.mp3 can't be decoded)";
}

// After Ctrl-C, SIGTERM or SIGHUP: no video is left behind, and the process ends by
// the signal.
void endIfStopped(VideoRecorder& recorder) {
    int signal = stopSignalReceived();
    if (signal == 0)
        return;
    recorder.cancel();
    activeRecorder = nullptr;
    std::fprintf(stderr, "\nquarn: recording stopped by signal %d; no video was written\n", signal);
    endByStopSignal(signal);
}

void failRecording(VideoRecorder& recorder) {
    endIfStopped(recorder);
    gLog.error("Can't record the video: %s", recorder.errorText().c_str());
}

} // namespace

int runRecord(const CommandLine& commandLine) {
    const Sound sound = chooseSound();
    VideoRecorder recorder;
    recorder.stopRequested = stopSignalPending;
    std::unique_ptr<RecordProgress> progress;
    static bool cleanupRegistered = false;
    if (!cleanupRegistered)
        cleanupRegistered = std::atexit(cancelActiveRecording) == 0;
    installStopSignals();

    OffscreenRun run;
    run.width = commandLine.width;
    run.height = commandLine.height;
    run.firstPass = commandLine.firstPass;
    run.lastPass = commandLine.lastPass;
    run.choice.part = commandLine.part;
    run.choice.sceneFile = commandLine.sceneFile;
    const int fps = commandLine.fps;
    run.fps = fps;
    run.samples = commandLine.samples;
    run.fill = commandLine.fill;
    // Frames are read as RGB and x264 takes two threads: measured here, a BGRA
    // read-back made ffmpeg's side dearer than it saved, and ffmpeg's own thread
    // count crowded the drawing. For measuring, QUARN_RECORD_BGRA=1 reads BGRA and
    // QUARN_RECORD_THREADS=N sets the encoder's threads (0: ffmpeg's choice).
    const char* bgra = std::getenv("QUARN_RECORD_BGRA");
    const char* threads = std::getenv("QUARN_RECORD_THREADS");
    recorder.bgraInput = bgra && std::strcmp(bgra, "1") == 0;
    recorder.encoderThreads = threads ? std::atoi(threads) : RECORD_THREADS;
    run.bgra = recorder.bgraInput;
    run.sink = [&](const PresentedFrame& frame) {
        // ffmpeg starts with the first frame, once the scenes have loaded.
        if (!progress) {
            // What the loader wrote comes out before the progress, not through it.
            std::fflush(stdout);
            if (!recorder.start(commandLine.videoFile, frame.width, frame.height, fps,
                                sound == Sound::WITH ? SOUNDTRACK : ""))
                failRecording(recorder);
            activeRecorder = &recorder;
            int32_t last = std::min(run.lastPass, frame.info.presentedTotal - 1);
            progress = std::make_unique<RecordProgress>(framesShowingPasses(run.firstPass, last, fps), fps);
        }
        if (!recorder.writeFrame(run.bgra ? frame.bgra : frame.rgb))
            failRecording(recorder);
        progress->update(recorder.framesWritten());
    };
    int code = runOffscreen(run);
    endIfStopped(recorder);
    if (progress)
        progress->done();
    bool finished = recorder.finish();
    activeRecorder = nullptr;
    if (!finished)
        failRecording(recorder);
    std::printf("Recorded %ld frames of %dx%d at %d frames per second to %s, %s\n", recorder.framesWritten(),
                run.width, run.height, fps, commandLine.videoFile.c_str(), soundText(sound));
    std::fflush(stdout);
    return code;
}
