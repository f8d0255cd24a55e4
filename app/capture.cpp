#include "app/capture.h"

#include "app/offscreen_gl.h"
#include "app/picture_shape.h"
#include "app/png_writer.h"
#include "app/stop_signal.h"
#include "app/timeline.h"
#include "log/log.h"
#include "render/gl.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double secondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

// A one-line progress bar on standard error, redrawn at most ten times a second.
class ProgressBar {
  public:
    explicit ProgressBar(bool wanted) : shown_(wanted && isatty(fileno(stderr))) {}

    void start(int32_t total) {
        total_ = std::max<int32_t>(total, 1);
        begin_ = lastDrawn_ = Clock::now();
    }
    void update(int32_t done, bool force) {
        if (!shown_)
            return;
        Clock::time_point now = Clock::now();
        if (!force && secondsBetween(lastDrawn_, now) < 0.1)
            return;
        lastDrawn_ = now;
        const int width = 40;
        int filled = static_cast<int>(static_cast<int64_t>(width) * std::min(done, total_) / total_);
        char bar[width + 1];
        for (int i = 0; i < width; ++i)
            bar[i] = i < filled ? '#' : '-';
        bar[width] = '\0';
        double seconds = secondsBetween(begin_, now);
        double fps = seconds > 0 ? done / seconds : 0.0;
        std::fprintf(stderr, "\r[%s] %d/%d passes  %.1f fps ", bar, done, total_, fps);
        std::fflush(stderr);
        drawn_ = true;
    }
    void finish() {
        if (drawn_)
            std::fputc('\n', stderr);
        drawn_ = false;
    }

  private:
    bool shown_;
    bool drawn_ = false;
    int32_t total_ = 1;
    Clock::time_point begin_;
    Clock::time_point lastDrawn_;
};

class OffscreenHost : public DemoHost {
  public:
    explicit OffscreenHost(OffscreenRun& run) : run_(run), progress_(run.progress) {}

    void open() override {
        std::string error;
        if (!gl_.create(run_.width, run_.height, error, run_.samples))
            gLog.error("Can't play the demo offscreen: %s", error.c_str());
        shape_ = pictureShape(run_.width, run_.height, run_.fill);
        applyPictureShape(shape_);
    }
    float pictureAspect() override { return shape_.aspect; }
    double framePosition(int32_t passesPlayed) override {
        // A part played once more starts its script time again.
        if (passesPlayed < lastPlayed_)
            frameOrigin_ = frames_;
        lastPlayed_ = passesPlayed;
        return (frames_ - frameOrigin_) * PASSES_PER_SECOND / run_.fps;
    }
    bool hasMusic() const override { return false; }
    bool soundOff() const override { return true; }
    void started(const Timeline& timeline) override {
        run_.length = timeline.length();
        int32_t presentedTotal = run_.length.presentedTotal;
        run_.presentedTotal = presentedTotal;
        if (run_.sink && run_.firstPass >= presentedTotal)
            gLog.error("The script presents %d passes (0 to %d); there is no pass %d to capture",
                       presentedTotal, presentedTotal - 1, run_.firstPass);
        int32_t lastPass = run_.lastPass < presentedTotal ? run_.lastPass : presentedTotal - 1;
        progressTotal_ = static_cast<int32_t>(framesShowingPasses(0, lastPass, run_.fps));
        progress_.start(progressTotal_);
    }
    bool stopRequested() override {
        passStart_ = Clock::now();
        return presented_ > run_.lastPass || stopSignalPending();
    }
    void present(const PassInfo& info) override {
        if (run_.sink && info.pass >= run_.firstPass && info.pass <= run_.lastPass) {
            PresentedFrame frame;
            frame.info = info;
            frame.width = run_.width;
            frame.height = run_.height;
            (run_.bgra ? frame.bgra : frame.rgb) = readFrame();
            run_.sink(frame);
        } else if (!run_.sink) {
            glFinish();
        }
        run_.passesByPart[info.part] += 1;
        run_.secondsByPart[info.part] += secondsBetween(passStart_, Clock::now());
        presented_ = info.pass + 1;
        ++frames_;
        progress_.update(static_cast<int32_t>(frames_), frames_ == progressTotal_);
    }
    void close() override {
        progress_.finish();
        gl_.destroy();
    }

  private:
    // The framebuffer as RGB rows, top row first, in buffers kept between passes.
    const unsigned char* readFrame() {
        size_t stride = static_cast<size_t>(run_.width) * (run_.bgra ? 4 : 3);
        bottomUp_.resize(stride * run_.height);
        topDown_.resize(bottomUp_.size());
        gl_.prepareRead();
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, run_.width, run_.height, run_.bgra ? GL_BGRA : GL_RGB, GL_UNSIGNED_BYTE,
                     bottomUp_.data());
        for (int32_t y = 0; y < run_.height; ++y)
            std::copy_n(bottomUp_.data() + (run_.height - 1 - y) * stride, stride,
                        topDown_.data() + y * stride);
        return topDown_.data();
    }

    static constexpr double PASSES_PER_SECOND = 50.0;
    OffscreenRun& run_;
    OffscreenGL gl_;
    PictureShape shape_;
    int64_t frames_ = 0;
    int64_t frameOrigin_ = 0;
    int32_t lastPlayed_ = 0;
    ProgressBar progress_;
    int32_t progressTotal_ = 0;
    int32_t presented_ = 0;
    Clock::time_point passStart_;
    std::vector<unsigned char> bottomUp_;
    std::vector<unsigned char> topDown_;
};

const char* const PART_NAMES[7] = {"", "part 1", "part 2", "part 3", "", "part 5", "part 6"};

} // namespace

int64_t framesShowingPasses(int32_t first, int32_t last, int32_t fps) {
    // Frame f shows pass ceil(50 f / fps): up to pass p, frames 0 to floor(p fps / 50).
    auto upTo = [fps](int64_t pass) { return pass < 0 ? 0 : pass * fps / 50 + 1; };
    return last < first ? 0 : upTo(last) - upTo(static_cast<int64_t>(first) - 1);
}

int runOffscreen(OffscreenRun& run) {
    OffscreenHost host(run);
    return run.choice.part ? runPart(host, run.choice) : runDemo(host);
}

int runCapture(const CommandLine& commandLine) {
    std::error_code failure;
    std::filesystem::create_directories(commandLine.directory, failure);
    if (failure)
        gLog.error("Can't create the capture directory %s: %s", commandLine.directory.c_str(),
                   failure.message().c_str());

    OffscreenRun run;
    run.width = commandLine.width;
    run.height = commandLine.height;
    run.firstPass = commandLine.firstPass;
    run.lastPass = commandLine.lastPass;
    run.progress = true;
    run.fps = commandLine.fps;
    run.samples = commandLine.samples;
    run.fill = commandLine.fill;
    installStopSignals();
    run.choice.part = commandLine.part;
    run.choice.sceneFile = commandLine.sceneFile;
    int32_t written = 0;
    std::string path;
    run.sink = [&](const PresentedFrame& frame) {
        char name[32];
        std::snprintf(name, sizeof name, "/frame%05d.png", frame.info.frame);
        path = commandLine.directory + name;
        std::string error;
        if (!writePng(path, frame.width, frame.height, frame.rgb, error))
            gLog.error("Can't write the frame %s: %s", path.c_str(), error.c_str());
        ++written;
    };
    int code = runOffscreen(run);
    if (int signal = stopSignalReceived()) {
        // Each frame is written whole before the signal is looked at.
        std::fprintf(stderr, "quarn: capture stopped by signal %d after %d complete frames in %s\n", signal,
                     written, commandLine.directory.c_str());
        endByStopSignal(signal);
    }
    std::printf("Wrote %d frames of %dx%d to %s\n", written, run.width, run.height,
                commandLine.directory.c_str());
    std::fflush(stdout);
    return code;
}

int runBenchmark(const CommandLine& commandLine) {
    OffscreenRun run;
    run.width = commandLine.width;
    run.height = commandLine.height;
    run.progress = true;
    run.samples = commandLine.samples;
    run.fill = commandLine.fill;
    run.choice.part = commandLine.part;
    run.choice.sceneFile = commandLine.sceneFile;
    int code = runOffscreen(run);

    int32_t passes = 0;
    double seconds = 0.0;
    for (int part = 1; part <= 6; ++part) {
        passes += run.passesByPart[part];
        seconds += run.secondsByPart[part];
    }
    auto rate = [](int32_t n, double s) { return s > 0 ? n / s : 0.0; };
    std::printf("Benchmark at %dx%d: %d passes in %.2f s, %.1f passes per second\n", run.width, run.height,
                passes, seconds, rate(passes, seconds));
    for (int part = 1; part <= 6; ++part) {
        if (run.passesByPart[part] == 0)
            continue;
        std::printf("  %s: %d passes in %.2f s, %.1f passes per second\n", PART_NAMES[part],
                    run.passesByPart[part], run.secondsByPart[part],
                    rate(run.passesByPart[part], run.secondsByPart[part]));
    }
    std::fflush(stdout);
    return code;
}
