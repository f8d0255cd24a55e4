#include "app/video_recorder.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr int MAX_SIDE = 16384;

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
    outputPath_ = outputPath;
    // ffmpeg picks the container from the extension, so the hidden file keeps it.
    partialPath_ = directoryOf(outputPath) + ".partial-" + baseNameOf(outputPath);
    std::string folder = directoryOf(outputPath).empty() ? "." : directoryOf(outputPath);
    if (access(folder.c_str(), W_OK) != 0)
        return fail("can't write the video into the folder \"" + folder + "\": " + std::strerror(errno));
    // ffmpeg's messages go to a temporary file, read when it fails.
    const char* tmp = std::getenv("TMPDIR");
    std::string logTemplate = std::string(tmp && *tmp ? tmp : "/tmp") + "/quarn-ffmpeg-XXXXXX";
    int logFile = mkostemp(&logTemplate[0], O_CLOEXEC);
    if (logFile < 0)
        return fail(std::string("can't make a temporary file for ffmpeg's messages: ") +
                    std::strerror(errno));
    logPath_ = logTemplate;

    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    std::vector<std::string> args = {program,
                                     "-hide_banner",
                                     "-nostats",
                                     "-loglevel",
                                     "error",
                                     "-y",
                                     "-f",
                                     "rawvideo",
                                     "-pixel_format",
                                     "rgb24",
                                     "-video_size",
                                     size,
                                     "-framerate",
                                     std::to_string(framesPerSecond),
                                     "-i",
                                     "pipe:0"};
    if (!soundtrack.empty()) {
        // The soundtrack repeats without end; -shortest ends the video with the frames.
        args.insert(args.end(), {"-stream_loop", "-1", "-i", soundtrack, "-map", "0:v", "-map", "1:a", "-c:a",
                                 "aac", "-b:a", "192k", "-shortest"});
    }
    // H.264 in 4:2:0 needs even sides: an odd side gets one black row or column.
    if (width % 2 != 0 || height % 2 != 0)
        args.insert(args.end(), {"-vf", "pad=ceil(iw/2)*2:ceil(ih/2)*2"});
    args.insert(args.end(), {"-c:v", "libx264", "-preset", "veryfast", "-crf", "18", "-pix_fmt", "yuv420p",
                             "-movflags", "+faststart", partialPath_});

    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        close(logFile);
        std::remove(logPath_.c_str());
        return fail(std::string("can't make a pipe to ffmpeg: ") + std::strerror(errno));
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], 0);
    posix_spawn_file_actions_adddup2(&actions, logFile, 1);
    posix_spawn_file_actions_adddup2(&actions, logFile, 2);
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(&a[0]);
    argv.push_back(nullptr);
    pid_t pid = -1;
    int spawned = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[0]);
    close(logFile);
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
    // A failing encoder closes its end of the pipe: that must show as a failed write,
    // not end this process with SIGPIPE.
    struct sigaction ignore;
    std::memset(&ignore, 0, sizeof ignore);
    ignore.sa_handler = SIG_IGN;
    sigpipeSaved_ = sigaction(SIGPIPE, &ignore, &oldSigpipe_) == 0;
    return true;
}

void VideoRecorder::restoreSignals() {
    if (sigpipeSaved_) {
        sigaction(SIGPIPE, &oldSigpipe_, nullptr);
        sigpipeSaved_ = false;
    }
}

bool VideoRecorder::writeFrame(const unsigned char* rgbTopDown) {
    if (!running())
        return fail(error_.empty() ? "no recording is running" : error_);
    const size_t bytes = static_cast<size_t>(width_) * static_cast<size_t>(height_) * 3;
    size_t done = 0;
    while (done < bytes) {
        ssize_t wrote = write(pipe_, rgbTopDown + done, bytes - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0) {
            // The encoder has stopped reading: it failed. Collect its reason.
            close(pipe_);
            pipe_ = -1;
            reap();
            std::string messages = encoderMessages();
            std::remove(partialPath_.c_str());
            std::remove(logPath_.c_str());
            restoreSignals();
            return fail("ffmpeg stopped after " + std::to_string(frames_) + " frames" +
                        (messages.empty() ? std::string() : ": " + messages));
        }
        done += static_cast<size_t>(wrote);
    }
    ++frames_;
    return true;
}

bool VideoRecorder::reap() {
    int status = 0;
    pid_t got;
    do {
        got = waitpid(child_, &status, 0);
    } while (got < 0 && errno == EINTR);
    child_ = -1;
    return got > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
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
    close(pipe_);
    pipe_ = -1;
    bool ok = reap();
    restoreSignals();
    if (ok && frames_ == 0)
        ok = false;
    if (!ok) {
        std::string messages = encoderMessages();
        std::remove(partialPath_.c_str());
        std::remove(logPath_.c_str());
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
    if (pipe_ >= 0) {
        close(pipe_);
        pipe_ = -1;
    }
    if (running()) {
        kill(child_, SIGTERM);
        reap();
    }
    restoreSignals();
    std::remove(partialPath_.c_str());
    std::remove(logPath_.c_str());
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
    line << bar << " " << frames << "/" << total << " frames";
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
