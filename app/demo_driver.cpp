#include "app/demo_driver.h"

#include "app/demo_light.h"
#include "app/frame_player.h"
#include "app/gl_window.h"
#include "app/pacing.h"
#include "app/picture_shape.h"
#include "app/timeline.h"
#include "audio/music_player.h"
#include "log/log.h"
#include "scene/scene_loader.h"

#include <cstdio>
#include <memory>
#include <new>
#include <string>

const char* const SCENE_FILES[6] = {"scene1.3ds", "scene2.3ds", "scene3.3ds",
                                    "scene4.3ds", "scene5.3ds", "scene6.3ds"};

namespace {

// The names of scenes 1 to 3; the others keep "NONAME". "\xE4" is the Latin-1 a-umlaut.
const char* const SCENE_NAMES[3] = {" --- Intro part ---", " --- party of cubes ---", " --- Sl\xE4mig ---"};

// The render window: the launch dialog and the window, music, Escape or closing the
// window to stop. Frames come at the display's rate, each at its own moment of the
// script, which plays at 50 passes a second as long as the frames keep up (at most one
// new pass per frame, so a machine that can't draw 50 frames a second plays slower,
// never skipping). The classic pacing shows one picture per pass, 20 ms at least each.
class WindowHost : public DemoHost {
  public:
    explicit WindowHost(GLWindow& window) : window_(window) {}
    void open() override {
        window_.setDefaults();
        window_.setup();
    }
    void enterFullScreenIfChosen() override {
        if (window_.isFullScreen())
            window_.enterFullScreen();
    }
    bool hasMusic() const override { return true; }
    bool soundOff() const override { return window_.noSound; }
    bool stopRequested() override { return window_.keyPressed(VK_ESCAPE_KEY) != 0 || window_.quitRequested; }
    double framePosition(int32_t passesPlayed) override {
        // The part preview starts its count again when it plays the part once more.
        passesPlayed_ += passesPlayed >= lastPlayed_ ? passesPlayed - lastPlayed_ : passesPlayed;
        lastPlayed_ = passesPlayed;
        double now = preciseMilliseconds();
        if (frames_ == 0)
            scriptStart_ = firstFrame_ = nextFrame_ = now;
        if (window_.classicPacing)
            return passesPlayed;
        double position = (now - scriptStart_) / PASS_MILLISECONDS;
        if (position > passesPlayed) {
            // More than one new pass would be due: the script waits for the frames.
            scriptStart_ = now - passesPlayed * static_cast<double>(PASS_MILLISECONDS);
            position = passesPlayed;
        }
        return position;
    }
    float pictureAspect() override {
        // A window whose size has changed shows the picture at its new shape.
        if (window_.drawableWidth <= 0 || window_.drawableHeight <= 0)
            return 1.0f;
        PictureShape shape = pictureShape(window_.drawableWidth, window_.drawableHeight, window_.fill);
        applyPictureShape(shape);
        return shape.aspect;
    }
    void present(const PassInfo&) override {
        double before = preciseMilliseconds();
        window_.present();
        swapMilliseconds_ = preciseMilliseconds() - before;
        ++frames_;
    }
    void pace(uint32_t frameStart) override {
        if (window_.classicPacing) {
            waitSince(frameStart, PASS_MILLISECONDS);
            return;
        }
        // Where the swap itself waited a good part of a refresh, vsync paces the
        // frames; otherwise they are held to the refresh rate.
        double period = 1000.0 / window_.refreshRate;
        double now = preciseMilliseconds();
        nextFrame_ += period;
        if ((window_.vsync && swapMilliseconds_ > period / 3) || nextFrame_ < now - period)
            nextFrame_ = now;
        waitUntil(nextFrame_);
    }
    void close() override {
        double seconds = (preciseMilliseconds() - firstFrame_) / 1000.0;
        window_.destroy();
        if (window_.showStats && seconds > 0) {
            std::printf("Window: %ld frames in %.2f s, %.1f frames per second; %d passes, %.1f passes per "
                        "second; refresh %d Hz, vsync %s, %s pacing\n",
                        frames_, seconds, frames_ / seconds, passesPlayed_, passesPlayed_ / seconds,
                        window_.refreshRate, window_.vsync ? "on" : "off",
                        window_.classicPacing ? "classic" : "display-rate");
            std::fflush(stdout);
        }
    }
    void showStatus(const char* text) override { window_.setTitle(text); }

  private:
    GLWindow& window_;
    long frames_ = 0;
    int32_t passesPlayed_ = 0;
    int32_t lastPlayed_ = 0;
    double scriptStart_ = 0;
    double firstFrame_ = 0;
    double nextFrame_ = 0;
    double swapMilliseconds_ = 0;
};

// The shown scenes must hold what the script addresses; a scene that falls short
// ends the program here, before anything is shown, rather than crashing later.
void checkShownScenes(Scene* const scenes[6]) {
    for (int32_t part : {1, 2, 3, 5, 6}) {
        std::string lack;
        if (!meetsScriptRequirements(*scenes[part - 1], part, lack))
            gLog.error("Scene file %s can't be shown: %s", SCENE_FILES[part - 1], lack.c_str());
    }
}

// The soundtrack, playing when the host has music and the viewer wants it; null when
// the host has none.
std::unique_ptr<MusicPlayer> startMusic(DemoHost& host) {
    if (!host.hasMusic())
        return nullptr;
    auto music = std::make_unique<MusicPlayer>(host.soundOff());
    if (!host.soundOff() && music->ready) { // not ready: no device, and the viewer chose to go on
        music->loadStream("demo.mp3");
        music->play();
    }
    return music;
}

} // namespace

int runDemo(DemoHost& host) {
    host.open();

    std::unique_ptr<SceneLoader> loaders[6];
    for (auto& loader : loaders)
        loader = std::make_unique<SceneLoader>();

    // Memory check: one Scene record must be obtainable.
    {
        std::unique_ptr<Scene> probe(new (std::nothrow) Scene);
        if (!probe)
            gLog.error("Faild to allocate memory");
    }

    // The scenes live until the end of the run.
    std::unique_ptr<Scene> owned[6];
    Scene* scenes[6] = {};
    auto load = [&](int i) {
        owned[i].reset(loaders[i]->load(SCENE_FILES[i]));
        scenes[i] = owned[i].get();
    };
    load(0);
    load(1);
    load(2);
    scenes[2]->report();
    load(3);
    load(4);
    load(5);
    for (int i = 0; i < 3; ++i)
        scenes[i]->setName(SCENE_NAMES[i]);
    for (int i : {0, 1, 3, 4, 5})
        scenes[i]->report();
    checkShownScenes(scenes);

    host.enterFullScreenIfChosen();

    std::unique_ptr<MusicPlayer> music = startMusic(host);

    DemoLight light;
    Timeline timeline(scenes[0], scenes[1], scenes[2], scenes[4], scenes[5], &light);
    timeline.setUp();

    PassInfo info;
    info.presentedTotal = timeline.length().presentedTotal;
    host.started(timeline);
    FramePlayer player(timeline);
    for (;;) {
        uint32_t frameStart = tickMilliseconds();
        if (host.stopRequested())
            break;
        timeline.aspect = host.pictureAspect();
        if (!player.drawAt(host.framePosition(player.passesPlayed())))
            break;
        info.pass = player.passesPlayed() - 1;
        info.part = timeline.part;
        host.present(info);
        ++info.frame;
        host.pace(frameStart);
    }

    if (music)
        music->stop();
    host.close();
    music.reset();
    for (int i = 5; i >= 0; --i)
        loaders[i].reset();
    return 0;
}

int runDemo(GLWindow& window) {
    WindowHost host(window);
    return runDemo(host);
}

int runPartInWindow(GLWindow& window, const PartChoice& choice) {
    WindowHost host(window);
    return runPart(host, choice);
}
