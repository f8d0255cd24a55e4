#include "app/video_recorder.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <pthread.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr int MAX_SIDE = 16384;
// The encoder's queue: up to three frames, within about 96 MB.
constexpr size_t QUEUE_SLOTS = 3;
constexpr size_t QUEUE_BYTES = size_t(96) << 20;
constexpr int PIPE_BYTES = 1 << 20;
constexpr int POLL_MILLISECONDS = 100;
constexpr int REAP_MILLISECONDS = 10;
constexpr double KILL_GRACE_SECONDS = 2.0;
// libx264's speed preset and quality level (constant rate factor). "ultrafast" at 15
// matches the structural similarity of "veryfast" at 18 on the demo's frames (0.938
// against 0.937) at about half the encoder's CPU time, for a file about 3.5x larger.
const char* const X264_PRESET = "ultrafast";
const char* const X264_CRF = "15";

std::string directoryOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string baseNameOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

double nowSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

std::string minutesAndSeconds(double seconds) {
    long whole = seconds < 0 ? 0 : static_cast<long>(seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

std::string secondsText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%g second%s", seconds, seconds == 1.0 ? "" : "s");
    return text;
}

struct EncoderRequest {
    int width;
    int height;
    int framesPerSecond;
    bool bgra;
    int threads;
};

std::vector<std::string> encoderArguments(const std::string& program, const EncoderRequest& r,
                                          const std::string& soundtrack, const std::string& outputPath) {
    const int width = r.width;
    const int height = r.height;
    const int framesPerSecond = r.framesPerSecond;
    std::vector<std::string> args = {program,
                                     "-hide_banner",
                                     "-nostdin",
                                     "-nostats",
                                     "-loglevel",
                                     "error",
                                     "-y",
                                     "-f",
                                     "rawvideo",
                                     "-pixel_format",
                                     r.bgra ? "bgra" : "rgb24",
                                     "-video_size",
                                     std::to_string(width) + "x" + std::to_string(height),
                                     "-framerate",
                                     std::to_string(framesPerSecond),
                                     "-i",
                                     "pipe:0"};
    if (!soundtrack.empty()) {
        // The soundtrack repeats without end; -shortest ends the video with the frames.
        args.insert(args.end(), {"-stream_loop", "-1", "-i", soundtrack, "-map", "0:v", "-map", "1:a", "-c:a",
                                 "aac", "-b:a", "192k", "-shortest"});
    }
    // H.264 in 4:2:0 needs even sides: an odd side gets one black row or column. The
    // colours are converted with BT.709's matrix to its limited range, and tagged so.
    std::string filters = "scale=out_color_matrix=bt709:out_range=tv";
    if (width % 2 != 0 || height % 2 != 0)
        filters = "pad=ceil(iw/2)*2:ceil(ih/2)*2," + filters;
    args.insert(args.end(), {"-vf", filters, "-c:v", "libx264", "-preset", X264_PRESET, "-crf", X264_CRF});
    if (r.threads > 0)
        args.insert(args.end(), {"-threads", std::to_string(r.threads)});
    args.insert(args.end(),
                {"-pix_fmt", "yuv420p", "-colorspace", "bt709", "-color_primaries", "bt709", "-color_trc",
                 "bt709", "-color_range", "tv", "-movflags", "+faststart", outputPath});
    return args;
}

// Starts the encoder reading `input` and writing its messages to `messages`, in a
// process group of its own: Ctrl-C in the terminal reaches this program, which
// then ends the encoder itself. Returns 0 or the error number.
int spawnInOwnGroup(std::vector<std::string>& args, int input, int messages, pid_t& pid) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input, 0);
    posix_spawn_file_actions_adddup2(&actions, messages, 1);
    posix_spawn_file_actions_adddup2(&actions, messages, 2);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK);
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(&a[0]);
    argv.push_back(nullptr);
    int spawned = posix_spawnp(&pid, args[0].c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return spawned;
}

} // namespace

VideoRecorder::~VideoRecorder() {
    if (running())
        cancel();
}

bool VideoRecorder::fail(const std::string& text) {
    error_ = text;
    return false;
}

bool VideoRecorder::start(const std::string& outputPath, int width, int height, int framesPerSecond,
                          const std::string& soundtrack) {
    if (!checkRequest(outputPath, width, height, framesPerSecond))
        return false;
    int messageFile = -1;
    if (!makeMessageFile(messageFile))
        return false;
    EncoderRequest request{width, height, framesPerSecond, bgraInput, encoderThreads};
    if (!spawnEncoder(encoderArguments(program, request, soundtrack, partialPath_), messageFile))
        return false;
    startWriter();
    return true;
}

bool VideoRecorder::checkRequest(const std::string& outputPath, int width, int height, int framesPerSecond) {
    if (running())
        return fail("a recording is already running");
    error_.clear();
    frames_ = 0;
    if (width <= 0 || height <= 0 || width > MAX_SIDE || height > MAX_SIDE)
        return fail("the video size " + std::to_string(width) + "x" + std::to_string(height) +
                    " is not usable");
    if (framesPerSecond <= 0)
        return fail("the frame rate must be positive");
    if (outputPath.empty() || baseNameOf(outputPath).empty())
        return fail("no video file name given");
    width_ = width;
    height_ = height;
    frameBytes_ = static_cast<size_t>(width) * static_cast<size_t>(height) * (bgraInput ? 4 : 3);
    outputPath_ = outputPath;
    // ffmpeg picks the container from the extension, so the hidden file keeps it.
    partialPath_ = directoryOf(outputPath) + ".partial-" + baseNameOf(outputPath);
    std::string folder = directoryOf(outputPath).empty() ? "." : directoryOf(outputPath);
    if (access(folder.c_str(), W_OK) != 0)
        return fail("can't write the video into the folder \"" + folder + "\": " + std::strerror(errno));
    return true;
}

// ffmpeg's messages go to a temporary file, read when it fails.
bool VideoRecorder::makeMessageFile(int& file) {
    const char* tmp = std::getenv("TMPDIR");
    std::string logTemplate = std::string(tmp && *tmp ? tmp : "/tmp") + "/quarn-ffmpeg-XXXXXX";
    file = mkostemp(&logTemplate[0], O_CLOEXEC);
    if (file < 0)
        return fail(std::string("can't make a temporary file for ffmpeg's messages: ") +
                    std::strerror(errno));
    logPath_ = logTemplate;
    return true;
}

bool VideoRecorder::spawnEncoder(std::vector<std::string> args, int messageFile) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        close(messageFile);
        std::remove(logPath_.c_str());
        return fail(std::string("can't make a pipe to ffmpeg: ") + std::strerror(errno));
    }
    pid_t pid = -1;
    int spawned = spawnInOwnGroup(args, fds[0], messageFile, pid);
    close(fds[0]);
    close(messageFile);
    if (spawned != 0) {
        close(fds[1]);
        std::remove(logPath_.c_str());
        if (spawned == ENOENT)
            return fail("can't record: the program \"" + program +
                        "\" was not found (install Debian's ffmpeg package)");
        return fail("can't start \"" + program + "\": " + std::strerror(spawned));
    }
    child_ = pid;
    pipe_ = fds[1];
    // A larger pipe takes a whole frame in fewer wake-ups; the writer never blocks
    // in write(), so it can notice an encoder that stopped reading.
    fcntl(pipe_, F_SETPIPE_SZ, PIPE_BYTES);
    fcntl(pipe_, F_SETFL, fcntl(pipe_, F_GETFL) | O_NONBLOCK);
    return true;
}

void VideoRecorder::startWriter() {
    size_t count = std::max<size_t>(1, std::min<size_t>(QUEUE_SLOTS, QUEUE_BYTES / frameBytes_));
    slots_.assign(count, std::vector<unsigned char>(frameBytes_));
    head_ = queued_ = 0;
    framesSent_ = 0;
    stopWriter_ = false;
    writerFailed_ = false;
    writerError_.clear();
    // The writer thread starts with the stop signals and SIGPIPE blocked: signals
    // are handled by the main thread, and an encoder that closed its end of the
    // pipe shows as a failed write (EPIPE) instead of ending the process.
    sigset_t blocked;
    sigset_t previous;
    sigemptyset(&blocked);
    for (int signal : {SIGPIPE, SIGINT, SIGTERM, SIGHUP})
        sigaddset(&blocked, signal);
    pthread_sigmask(SIG_BLOCK, &blocked, &previous);
    writer_ = std::thread(&VideoRecorder::writerLoop, this);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

void VideoRecorder::writerLoop() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return queued_ > 0 || stopWriter_; });
        if (stopWriter_)
            return;
        const unsigned char* frame = slots_[head_].data();
        lock.unlock();
        bool written = writeAll(frame, frameBytes_);
        lock.lock();
        if (!written) {
            writerFailed_ = true;
            changed_.notify_all();
            return;
        }
        head_ = (head_ + 1) % slots_.size();
        --queued_;
        ++framesSent_;
        changed_.notify_all();
    }
}

// Runs on the writer thread. False when the encoder stopped reading (writerError_
// empty), took nothing for stallSeconds (writerError_ says so), or the writer is
// being stopped.
bool VideoRecorder::writeAll(const unsigned char* data, size_t bytes) {
    size_t done = 0;
    double lastProgress = nowSeconds();
    while (done < bytes) {
        if (stopWriter_)
            return false;
        ssize_t wrote = write(pipe_, data + done, bytes - done);
        if (wrote > 0) {
            done += static_cast<size_t>(wrote);
            lastProgress = nowSeconds();
        } else if (wrote < 0 && errno == EAGAIN) {
            if (nowSeconds() - lastProgress >= stallSeconds) {
                writerError_ = "ffmpeg has read nothing for " + secondsText(stallSeconds) + " after " +
                               std::to_string(framesSent_) + " frames: it seems to be stuck";
                return false;
            }
            pollfd ready = {pipe_, POLLOUT, 0};
            poll(&ready, 1, POLL_MILLISECONDS);
        } else if (!(wrote < 0 && errno == EINTR)) {
            return false;
        }
    }
    return true;
}

bool VideoRecorder::waitForFreeSlot() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (queued_ == slots_.size() && !writerFailed_ && !interrupted())
        changed_.wait_for(lock, std::chrono::milliseconds(POLL_MILLISECONDS));
    return queued_ < slots_.size() && !writerFailed_;
}

bool VideoRecorder::waitForEmptyQueue() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (queued_ > 0 && !writerFailed_ && !interrupted())
        changed_.wait_for(lock, std::chrono::milliseconds(POLL_MILLISECONDS));
    return queued_ == 0 && !writerFailed_;
}

void VideoRecorder::stopWriter() {
    if (!writer_.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopWriter_ = true;
    }
    changed_.notify_all();
    writer_.join();
}

bool VideoRecorder::writeFrame(const unsigned char* rgbTopDown) {
    if (!running())
        return fail(error_.empty() ? "no recording is running" : error_);
    if (!waitForFreeSlot())
        return abandon();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<unsigned char>& slot = slots_[(head_ + queued_) % slots_.size()];
        std::copy_n(rgbTopDown, frameBytes_, slot.data());
        ++queued_;
    }
    changed_.notify_all();
    ++frames_;
    return true;
}

// Ends a recording the writer could not go on with, or that a stop request
// interrupted, leaving nothing on disk.
bool VideoRecorder::abandon() {
    bool failed;
    std::string reason;
    long sent;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        failed = writerFailed_;
        reason = writerError_;
        sent = framesSent_;
    }
    if (!failed || !reason.empty()) {
        cancel();
        return fail(failed ? reason : "the recording was stopped");
    }
    // The encoder has stopped reading: it failed. Collect its reason.
    stopWriter();
    close(pipe_);
    pipe_ = -1;
    bool ended = false;
    waitForEncoder(stallSeconds, ended);
    if (!ended)
        killEncoder();
    std::string messages = encoderMessages();
    removeFiles();
    return fail("ffmpeg stopped after " + std::to_string(sent) + " frames" +
                (messages.empty() ? std::string() : ": " + messages));
}

bool VideoRecorder::waitForEncoder(double seconds, bool& ended) {
    int status = 0;
    double begin = nowSeconds();
    ended = false;
    for (;;) {
        pid_t got = waitpid(child_, &status, WNOHANG);
        if (got == child_ || (got < 0 && errno != EINTR)) {
            child_ = -1;
            ended = true;
            return got > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
        }
        if (nowSeconds() - begin >= seconds || interrupted())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(REAP_MILLISECONDS));
    }
}

// Ends the encoder and whatever it started: politely, then for sure.
void VideoRecorder::killEncoder() {
    if (!running())
        return;
    kill(-child_, SIGTERM);
    bool ended = false;
    waitForEncoder(KILL_GRACE_SECONDS, ended);
    if (!ended) {
        kill(-child_, SIGKILL);
        while (waitpid(child_, nullptr, 0) < 0 && errno == EINTR) {
        }
        child_ = -1;
    }
}

void VideoRecorder::removeFiles() {
    std::remove(partialPath_.c_str());
    std::remove(logPath_.c_str());
}

std::string VideoRecorder::encoderMessages() const {
    std::ifstream in(logPath_);
    std::string line;
    std::string text;
    while (std::getline(in, line)) {
        if (line.empty())
            continue;
        if (!text.empty())
            text += " / ";
        text += line;
    }
    if (text.size() > 600)
        text = "..." + text.substr(text.size() - 600);
    return text;
}

bool VideoRecorder::finish() {
    if (!running())
        return fail(error_.empty() ? "no recording is running" : error_);
    if (!waitForEmptyQueue())
        return abandon();
    stopWriter();
    close(pipe_);
    pipe_ = -1;
    bool ended = false;
    bool ok = waitForEncoder(stallSeconds, ended);
    if (!ended) {
        bool stopped = interrupted();
        cancel();
        return fail(stopped ? "the recording was stopped"
                            : "ffmpeg has not ended " + secondsText(stallSeconds) +
                                  " after the last frame: it seems to be stuck");
    }
    if (ok && frames_ == 0)
        ok = false;
    if (!ok) {
        std::string messages = encoderMessages();
        removeFiles();
        if (frames_ == 0 && messages.empty())
            return fail("no frames were recorded");
        return fail("ffmpeg could not write \"" + outputPath_ + "\"" +
                    (messages.empty() ? std::string() : ": " + messages));
    }
    std::remove(logPath_.c_str());
    if (std::rename(partialPath_.c_str(), outputPath_.c_str()) != 0) {
        std::string reason = std::strerror(errno);
        std::remove(partialPath_.c_str());
        return fail("can't put the video in place as \"" + outputPath_ + "\": " + reason);
    }
    return true;
}

void VideoRecorder::cancel() {
    stopWriter();
    if (pipe_ >= 0) {
        close(pipe_);
        pipe_ = -1;
    }
    killEncoder();
    removeFiles();
}

std::string recordProgressLine(long frames, long total, double elapsedSeconds, int framesPerSecond) {
    const int barWidth = 30;
    if (total < 1)
        total = 1;
    if (frames > total)
        frames = total;
    if (frames < 0)
        frames = 0;
    int filled = static_cast<int>(frames * barWidth / total);
    std::string bar = "[" + std::string(static_cast<size_t>(filled), '#') +
                      std::string(static_cast<size_t>(barWidth - filled), '-') + "]";
    std::ostringstream line;
    // Progress in video time first: at 60 fps a second of video is 60 frames, not 50.
    char seconds[64];
    std::snprintf(
        seconds, sizeof seconds, "%s.%ld/%s.%ld video", minutesAndSeconds(frames / framesPerSecond).c_str(),
        frames % framesPerSecond * 10 / framesPerSecond, minutesAndSeconds(total / framesPerSecond).c_str(),
        total % framesPerSecond * 10 / framesPerSecond);
    line << bar << " " << seconds << " (" << frames << "/" << total << " frames)";
    if (elapsedSeconds > 0 && frames > 0) {
        double perSecond = frames / elapsedSeconds;
        char speed[32];
        std::snprintf(speed, sizeof speed, "%.1fx", perSecond / framesPerSecond);
        line << "  " << speed << "  " << minutesAndSeconds((total - frames) / perSecond) << " left";
    }
    return line.str();
}

RecordProgress::RecordProgress(long total, int framesPerSecond)
    : total_(total), framesPerSecond_(framesPerSecond), startSeconds_(nowSeconds()),
      terminal_(isatty(2) != 0) {}

void RecordProgress::update(long frames) {
    double now = nowSeconds();
    if (terminal_) {
        // Redrawn at most ten times a second.
        if (lastDraw_ >= 0 && now - lastDraw_ < 0.1 && frames < total_)
            return;
        lastDraw_ = now;
        std::fprintf(stderr, "\r%s\033[K",
                     recordProgressLine(frames, total_, now - startSeconds_, framesPerSecond_).c_str());
    } else {
        long tenth = total_ > 0 ? frames * 10 / total_ : 10;
        if (tenth == lastTenth_)
            return;
        lastTenth_ = tenth;
        std::fprintf(stderr, "%s\n",
                     recordProgressLine(frames, total_, now - startSeconds_, framesPerSecond_).c_str());
    }
    std::fflush(stderr);
}

void RecordProgress::done() {
    if (terminal_) {
        std::fputc('\n', stderr);
        std::fflush(stderr);
    }
}
