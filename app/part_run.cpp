// One part of the script alone, for authors previewing their scene: loaded from a
// file of their choosing, played once (offscreen modes) or in a loop that picks up
// a new version of the file as soon as it has been written.
#include "app/demo_driver.h"
#include "app/demo_light.h"
#include "app/frame_player.h"
#include "app/pacing.h"
#include "app/timeline.h"
#include "log/log.h"
#include "scene/scene_loader.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

namespace {

namespace fs = std::filesystem;

const char* const PART_SCENE_NAMES[4] = {"", " --- Intro part ---", " --- party of cubes ---",
                                         " --- Sl\xE4mig ---"};

// Checked between passes; a change must hold still for one check before it is read.
constexpr int32_t RELOAD_CHECK_PASSES = 25;

struct FileStamp {
    fs::file_time_type time{};
    uintmax_t size = 0;
    bool operator==(const FileStamp& o) const { return time == o.time && size == o.size; }
    bool operator!=(const FileStamp& o) const { return !(*this == o); }
};

bool stampOf(const std::string& path, FileStamp& stamp) {
    std::error_code failure;
    if (!fs::is_regular_file(path, failure))
        return false;
    stamp.time = fs::last_write_time(path, failure);
    stamp.size = fs::file_size(path, failure);
    return !failure;
}

// Loads and reports the scene; null with `lack` set when the part can't show it.
std::unique_ptr<Scene> loadPartScene(const std::string& path, int32_t part,
                                     std::unique_ptr<SceneLoader>& loader, std::string& lack) {
    loader = std::make_unique<SceneLoader>();
    std::unique_ptr<Scene> scene(loader->load(path.c_str()));
    if (part <= 3)
        scene->setName(PART_SCENE_NAMES[part]);
    scene->report();
    if (!meetsScriptRequirements(*scene, part, lack))
        scene.reset();
    return scene;
}

void showProgress(DemoHost& host, const Timeline& timeline, int32_t pass, int32_t part) {
    const Scene& scene = *timeline.sceneOfPart(part);
    char text[160];
    std::snprintf(text, sizeof text, "Quarn - part %d - pass %d - key %d of %d", part, pass, timeline.frame,
                  scene.cameras[0]->positionKeyCount);
    host.showStatus(text);
}

} // namespace

int runPart(DemoHost& host, const PartChoice& choice) {
    host.open();
    const int32_t part = choice.part;
    const std::string path = choice.sceneFile.empty() ? SCENE_FILES[part - 1] : choice.sceneFile;
    FileStamp stamp, seen;
    if (!stampOf(path, stamp))
        gLog.error("Scene file %s can't be read", path.c_str());
    std::unique_ptr<SceneLoader> loader;
    std::string lack;
    std::unique_ptr<Scene> scene = loadPartScene(path, part, loader, lack);
    if (!scene)
        gLog.error("Scene file %s can't be shown: %s", path.c_str(), lack.c_str());
    seen = stamp;

    DemoLight light;
    Timeline timeline;
    timeline.light = &light;
    timeline.onlyPart = part;
    Scene* slots[7] = {};
    auto use = [&](Scene* shown) {
        slots[part] = shown;
        timeline.scene1 = slots[1], timeline.scene2 = slots[2], timeline.scene3 = slots[3];
        timeline.scene5 = slots[5], timeline.scene6 = slots[6];
        timeline.setUp();
    };
    use(scene.get());

    PassInfo info;
    info.presentedTotal = timeline.length().presentedTotal;
    host.started(timeline);
    FramePlayer player(timeline);
    // Passes presented in earlier rounds of the loop: the count goes on across them.
    int32_t earlierPasses = 0;
    int32_t lastChecked = 0;
    for (;;) {
        uint32_t frameStart = tickMilliseconds();
        if (host.stopRequested())
            break;
        if (!player.drawAt(host.framePosition(player.passesPlayed()))) {
            if (!choice.loop)
                break;
            timeline.restartPart();
            earlierPasses += player.passesPlayed();
            player.restart();
            continue;
        }
        info.pass = earlierPasses + player.passesPlayed() - 1;
        info.part = part;
        host.present(info);
        showProgress(host, timeline, info.pass, part);
        ++info.frame;
        host.pace(frameStart);
        int32_t played = info.pass + 1;
        if (!choice.loop || played / RELOAD_CHECK_PASSES == lastChecked / RELOAD_CHECK_PASSES)
            continue;
        lastChecked = played;
        FileStamp now;
        bool readable = stampOf(path, now);
        if (readable && now != stamp && now == seen) {
            std::unique_ptr<SceneLoader> newLoader;
            std::unique_ptr<Scene> fresh = loadPartScene(path, part, newLoader, lack);
            stamp = now;
            if (!fresh) {
                std::fprintf(stderr, "quarn: %s can't be shown: %s; the previous version stays\n",
                             path.c_str(), lack.c_str());
            } else {
                scene = std::move(fresh);
                loader = std::move(newLoader);
                use(scene.get());
                earlierPasses = played;
                player.restart();
                info.presentedTotal = timeline.length().presentedTotal;
                gLog.message("Reloaded %s\n", path.c_str());
            }
        }
        seen = readable ? now : FileStamp();
    }
    host.close();
    return 0;
}
