// One part of the script alone, for authors previewing their scene: loaded from a
// file of their choosing, played once (offscreen modes) or in a loop that picks up
// a new version of the file as soon as it has been written.
#include "app/demo_driver.h"
#include "app/demo_light.h"
#include "app/frame_player.h"
#include "app/pacing.h"
#include "app/timeline.h"
#include "log/log.h"
#include "log/regular_file.h"
#include "scene/scene_loader.h"

#include <cstdio>
#include <stdexcept>
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

// Why the scene file can't be read, or nullptr when it can: missing, not a regular
// file (a folder, a FIFO, a device) or unreadable, in the same words as elsewhere.
const char* problemOf(const std::string& path) {
    FileProblem problem = FileProblem::None;
    std::FILE* file = openRegularFile(path.c_str(), FileAccess::ReadBinary, &problem);
    if (!file)
        return fileProblemText(problem);
    std::fclose(file);
    return nullptr;
}

[[noreturn]] void throwFatal(const char* text) {
    throw std::runtime_error(text);
}

// A new version of the scene, or null with the reason in `lack`: a file the loader
// refuses (its fatal error caught) leaves the running program as it was.
std::unique_ptr<Scene> reloadPartScene(const std::string& path, int32_t part,
                                       std::unique_ptr<SceneLoader>& loader, std::string& lack);

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

std::unique_ptr<Scene> reloadPartScene(const std::string& path, int32_t part,
                                       std::unique_ptr<SceneLoader>& loader, std::string& lack) {
    Log::setFatalHandler(throwFatal);
    std::unique_ptr<Scene> scene;
    try {
        scene = loadPartScene(path, part, loader, lack);
    } catch (const std::runtime_error& fatal) {
        lack = fatal.what();
        while (!lack.empty() && lack.back() == '\n')
            lack.pop_back();
    }
    Log::setFatalHandler(nullptr);
    return scene;
}

void showProgress(DemoHost& host, const Timeline& timeline, int32_t pass, int32_t part,
                  const std::string& problem) {
    const Scene& scene = *timeline.sceneOfPart(part);
    char text[400];
    std::snprintf(text, sizeof text, "Quarn - part %d - pass %d - key %d of %d%s%s", part, pass,
                  timeline.frame, scene.cameras[0]->positionKeyCount, problem.empty() ? "" : " - ",
                  problem.c_str());
    host.showStatus(text);
}

} // namespace

// The scene the preview starts with; a file that can't be read or shown ends the
// program through the log's error.
std::unique_ptr<Scene> loadFirst(const std::string& path, int32_t part, FileStamp& stamp,
                                 std::unique_ptr<SceneLoader>& loader) {
    if (const char* problem = problemOf(path))
        gLog.error("Scene file %s can't be read: %s", path.c_str(), problem);
    if (!stampOf(path, stamp))
        gLog.error("Scene file %s can't be read", path.c_str());
    std::string lack;
    std::unique_ptr<Scene> scene = loadPartScene(path, part, loader, lack);
    if (!scene)
        gLog.error("Scene file %s can't be shown: %s", path.c_str(), lack.c_str());
    return scene;
}

// Watches the scene file between passes: a version that has held still for one check
// is loaded; one that can't be read or shown leaves the scene on screen, and `problem`
// says why for the title bar.
struct SceneWatch {
    std::string path;
    int32_t part = 0;
    FileStamp stamp, seen, shown; // last loaded, last seen, on the screen
    std::string problem;

    // A freshly loaded scene (and its loader in `newLoader`) when the file changed and
    // loads; null otherwise.
    std::unique_ptr<Scene> check(std::unique_ptr<SceneLoader>& newLoader) {
        FileStamp now;
        bool readable = stampOf(path, now);
        if (!readable) {
            const char* why = problemOf(path);
            std::string said = path + " can't be read: " + (why ? why : "it is being replaced");
            if (said != problem)
                std::fprintf(stderr, "quarn: %s; the previous version stays\n", said.c_str());
            problem = said;
        } else if (now == shown) {
            problem.clear(); // the version shown is back
        }
        std::unique_ptr<Scene> fresh;
        if (readable && now != stamp && now == seen)
            fresh = reload(now, newLoader);
        seen = readable ? now : FileStamp();
        return fresh;
    }

  private:
    std::unique_ptr<Scene> reload(const FileStamp& now, std::unique_ptr<SceneLoader>& newLoader) {
        std::string lack;
        std::unique_ptr<Scene> fresh = reloadPartScene(path, part, newLoader, lack);
        stamp = now;
        if (!fresh) {
            std::fprintf(stderr, "quarn: %s can't be shown: %s; the previous version stays\n", path.c_str(),
                         lack.c_str());
            problem = path + " can't be shown: " + lack;
            return nullptr;
        }
        problem.clear();
        shown = now;
        return fresh;
    }
};

// A stop signal received since the last frame closes the window and ends the program
// by that signal.
static void endOnSignal(DemoHost& host, const PartChoice& choice) {
    if (int signal = choice.stopSignals ? choice.stopSignals->received() : 0) {
        host.close();
        choice.stopSignals->endBy(signal);
    }
}

// The watch on the scene file just loaded (with its stamp) for the part shown.
static SceneWatch watchScene(const std::string& path, int32_t part, const FileStamp& stamp) {
    SceneWatch watch;
    watch.path = path, watch.part = part;
    watch.stamp = watch.seen = watch.shown = stamp;
    return watch;
}

// A looping preview looks at its scene file again once every RELOAD_CHECK_PASSES passes.
static bool reloadDue(const PartChoice& choice, int32_t played, int32_t& lastChecked) {
    if (!choice.loop || played / RELOAD_CHECK_PASSES == lastChecked / RELOAD_CHECK_PASSES)
        return false;
    lastChecked = played;
    return true;
}

int runPart(DemoHost& host, const PartChoice& choice) {
    host.open();
    if (choice.stopSignals)
        choice.stopSignals->install();
    const int32_t part = choice.part;
    const std::string path = choice.sceneFile.empty() ? SCENE_FILES[part - 1] : choice.sceneFile;
    FileStamp stamp;
    std::unique_ptr<SceneLoader> loader;
    std::unique_ptr<Scene> scene = loadFirst(path, part, stamp, loader);

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
    SceneWatch watch = watchScene(path, part, stamp);
    FramePlayer player(timeline);
    // Passes presented in earlier rounds of the loop: the count goes on across them.
    int32_t earlierPasses = 0;
    int32_t lastChecked = 0;
    for (;;) {
        uint32_t frameStart = tickMilliseconds();
        endOnSignal(host, choice);
        if (host.stopRequested())
            break;
        timeline.aspect = host.pictureAspect();
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
        showProgress(host, timeline, info.pass, part, watch.problem);
        ++info.frame;
        host.pace(frameStart);
        int32_t played = info.pass + 1;
        if (!reloadDue(choice, played, lastChecked))
            continue;
        std::unique_ptr<SceneLoader> newLoader;
        if (std::unique_ptr<Scene> fresh = watch.check(newLoader)) {
            scene = std::move(fresh); // the old scene goes before the loader that made it
            loader = std::move(newLoader);
            use(scene.get());
            earlierPasses = played;
            player.restart();
            info.presentedTotal = timeline.length().presentedTotal;
            gLog.message("Reloaded %s\n", path.c_str());
        }
    }
    host.close();
    return 0;
}
