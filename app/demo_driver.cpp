#include "app/demo_driver.h"

#include "app/demo_light.h"
#include "app/gl_window.h"
#include "app/pacing.h"
#include "app/timeline.h"
#include "audio/music_player.h"
#include "log/log.h"
#include "scene/scene_loader.h"

#include <memory>
#include <new>
#include <string>

const char* const SCENE_FILES[6] = {"scene1.3ds", "scene2.3ds", "scene3.3ds",
                                    "scene4.3ds", "scene5.3ds", "scene6.3ds"};

namespace {

// The names of scenes 1 to 3; the others keep "NONAME". "\xE4" is the Latin-1 a-umlaut.
const char* const SCENE_NAMES[3] = {" --- Intro part ---", " --- party of cubes ---", " --- Sl\xE4mig ---"};

// The render window: the launch dialog and the window, music, Escape or closing the
// window to stop, a buffer swap per pass and at least 20 ms per pass.
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
    void present(const PassInfo&) override { window_.present(); }
    void pace(uint32_t passStart) override { waitSince(passStart, PASS_MILLISECONDS); }
    void close() override { window_.destroy(); }
    void showStatus(const char* text) override { window_.setTitle(text); }

  private:
    GLWindow& window_;
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

    std::unique_ptr<MusicPlayer> music;
    if (host.hasMusic()) {
        music = std::make_unique<MusicPlayer>(host.soundOff());
        if (!host.soundOff() && music->ready) { // not ready: no device, and the viewer chose to go on
            music->loadStream("demo.mp3");
            music->play();
        }
    }

    DemoLight light;
    Timeline timeline(scenes[0], scenes[1], scenes[2], scenes[4], scenes[5], &light);
    timeline.setUp();

    PassInfo info;
    info.presentedTotal = timeline.length().presentedTotal;
    host.started(timeline);
    for (;;) {
        uint32_t passStart = tickMilliseconds();
        if (host.stopRequested())
            break;
        if (timeline.step())
            break;
        info.part = timeline.part;
        host.present(info);
        ++info.pass;
        host.pace(passStart);
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
