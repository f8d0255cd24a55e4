// Writes rendered frames to a video file by piping them, as raw RGB, to an ffmpeg
// child process that encodes them (H.264) together with a looped soundtrack (AAC).
// Linux only. The video appears under its name only when it is complete: ffmpeg
// writes to a hidden file beside it, renamed into place by finish().
#pragma once

#include <csignal>
#include <string>
#include <sys/types.h>

class VideoRecorder {
  public:
    VideoRecorder() = default;
    VideoRecorder(const VideoRecorder&) = delete;
    VideoRecorder& operator=(const VideoRecorder&) = delete;
    // A recording that was not finished is cancelled.
    ~VideoRecorder();

    // Starts the encoder for width x height frames at framesPerSecond. `soundtrack`
    // names an audio file looped to the video's length ("" for a silent video).
    // False, with errorText() saying why, when ffmpeg can't be started.
    bool start(const std::string& outputPath, int width, int height, int framesPerSecond,
               const std::string& soundtrack);
    // Hands one frame to the encoder: width * height RGB pixels, top row first.
    // False when the encoder has failed (errorText() says why).
    bool writeFrame(const unsigned char* rgbTopDown);
    // Ends the video and waits for the encoder; on success the file is in place.
    bool finish();
    // Stops the encoder and removes what it wrote.
    void cancel();

    bool running() const { return child_ > 0; }
    long framesWritten() const { return frames_; }
    const std::string& errorText() const { return error_; }

    // The encoder program, looked up on PATH.
    std::string program = "ffmpeg";

  private:
    bool fail(const std::string& text);
    // Waits for the encoder; true when it ended with exit status 0.
    bool reap();
    std::string encoderMessages() const;
    void restoreSignals();

    pid_t child_ = -1;
    int pipe_ = -1;
    int width_ = 0;
    int height_ = 0;
    long frames_ = 0;
    std::string outputPath_;
    std::string partialPath_;
    std::string logPath_;
    std::string error_;
    bool sigpipeSaved_ = false;
    struct sigaction oldSigpipe_ {};
};

// One line of progress: a bar, the frames done and their total, the speed against
// real time and the time left, e.g. "[#####-----]  250/1000 frames  2.0x  0:07 left".
std::string recordProgressLine(long frames, long total, double elapsedSeconds, int framesPerSecond);

// Shows the progress on standard error: redrawn in place on a terminal, otherwise
// one line at every tenth of the way.
class RecordProgress {
  public:
    RecordProgress(long total, int framesPerSecond);
    void update(long frames);
    void done();

  private:
    long total_;
    int framesPerSecond_;
    double startSeconds_;
    double lastDraw_ = -1.0;
    long lastTenth_ = -1;
    bool terminal_;
};
