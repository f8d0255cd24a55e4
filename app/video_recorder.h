// Writes rendered frames to a video file by piping them, as raw RGB, to an ffmpeg
// child process that encodes them (H.264) together with a looped soundtrack (AAC).
// Linux only. The video appears under its name only when it is complete: ffmpeg
// writes to a hidden file beside it, renamed into place by finish().
//
// Frames are copied into a small queue and written to ffmpeg by a writer thread, so
// the caller draws the next frame while the encoder takes the last one.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <thread>
#include <vector>

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
    // Hands one frame to the encoder: width * height RGB pixels, top row first. The
    // pixels are copied; it waits only while the queue is full. False when the
    // encoder has failed (errorText() says why; nothing is left on disk).
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
    // Frames come as BGRA (4 bytes a pixel) instead of RGB.
    bool bgraInput = false;
    // libx264's threads (0: the encoder's own choice).
    int encoderThreads = 0;
    // An encoder that takes no data for this long is taken to be stuck: the
    // recording fails and is removed.
    double stallSeconds = 20.0;
    // Asked while waiting for the encoder; when it returns true the wait gives up
    // (writeFrame and finish return false). Meant for a pending stop signal.
    bool (*stopRequested)() = nullptr;

  private:
    bool fail(const std::string& text);
    bool checkRequest(const std::string& outputPath, int width, int height, int framesPerSecond);
    bool makeMessageFile(int& file);
    bool spawnEncoder(std::vector<std::string> args, int messageFile);
    void startWriter();
    void writerLoop();
    bool writeAll(const unsigned char* data, size_t bytes);
    bool waitForFreeSlot();
    bool waitForEmptyQueue();
    void stopWriter();
    void killEncoder();
    // Waits for the encoder to end, at most `seconds`; true when it exited with 0.
    bool waitForEncoder(double seconds, bool& ended);
    bool abandon();
    std::string encoderMessages() const;
    void removeFiles();
    bool interrupted() const { return stopRequested && stopRequested(); }

    pid_t child_ = -1;
    int pipe_ = -1;
    int width_ = 0;
    int height_ = 0;
    size_t frameBytes_ = 0;
    long frames_ = 0;
    std::string outputPath_;
    std::string partialPath_;
    std::string logPath_;
    std::string error_;

    // The queue between writeFrame and the writer thread: slots used round-robin,
    // `queued_` of them filled starting at `head_`. Guarded by mutex_.
    std::vector<std::vector<unsigned char>> slots_;
    size_t head_ = 0;
    size_t queued_ = 0;
    std::atomic<bool> stopWriter_{false};
    bool writerFailed_ = false;
    long framesSent_ = 0;
    std::string writerError_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::thread writer_;
};

// One line of progress: a bar, the video time done and in all, the frames done and
// their total, the speed against real time and the time left, e.g.
// "[#####-----] 0:05.0/0:20.0 video (250/1000 frames)  2.0x  0:07 left".
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
