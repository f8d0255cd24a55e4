// quarn_frames: plays the demo's script offscreen and writes chosen frames as PPM
// pictures, to look at the content as a viewer sees it (and to make the contact
// sheet in docs/); it can also measure how bright each part is. Run it in the
// folder of the scene files.
//
//   quarn_frames [--out DIR] [--per-part N] [--every N] [--passes P1,P2,...]
//                [--size WxH] [--brightness] [--full]
//
// Writes DIR/pass_NNNNN_partK.ppm for the chosen passes. --brightness prints, per
// part, the mean luma of the chosen frames and the share of their pixels whose luma
// is above 24 of 255. By default only the chosen passes and the pass before each are
// drawn: the others still run the script (light, counters, part 6's turning and
// sliding objects) with every object hidden and a one-pixel scissor, so a chosen
// frame comes out as the whole run would draw it at a fraction of the cost. --full
// draws every pass, as the capture mode does, and prints the time per pass.
#include "app/capture.h"
#include "app/demo_light.h"
#include "app/offscreen_gl.h"
#include "app/timeline.h"
#include "render/gl.h"
#include "scene/scene.h"
#include "scene/scene_loader.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct Options {
    std::string out;
    int every = 0;
    int perPart = 0;
    std::set<int> passes;
    int width = 640;
    int height = 480;
    bool brightness = false;
    bool full = false;
};

const char* const kUsage = "usage: quarn_frames [--out DIR] [--per-part N] [--every N] [--passes P1,P2,...]\n"
                           "                    [--size WxH] [--brightness] [--full]\n";

bool parseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        bool hasValue = i + 1 < argc;
        if (a == "--out" && hasValue) {
            o.out = argv[++i];
        } else if (a == "--every" && hasValue) {
            o.every = std::atoi(argv[++i]);
        } else if (a == "--passes" && hasValue) {
            for (char* p = std::strtok(argv[++i], ","); p; p = std::strtok(nullptr, ","))
                o.passes.insert(std::atoi(p));
        } else if (a == "--per-part" && hasValue) {
            o.perPart = std::atoi(argv[++i]);
        } else if (a == "--size" && hasValue) {
            if (std::sscanf(argv[++i], "%dx%d", &o.width, &o.height) != 2 || o.width < 1 || o.height < 1)
                return false;
        } else if (a == "--brightness") {
            o.brightness = true;
        } else if (a == "--full") {
            o.full = true;
        } else {
            std::fprintf(stderr, "unknown argument %s\n", a.c_str());
            return false;
        }
    }
    return true;
}

// The part whose frame presented pass `pass` shows (0 past the end).
int partOfPass(const ScriptLength& length, int pass) {
    int start = 0;
    for (int part : {1, 2, 3, 5, 6}) {
        if (pass < start + length.presented[part])
            return part;
        start += length.presented[part];
    }
    return 0;
}

// Whether the pass is one of perPart passes spread evenly over its part, the first
// a tenth of a spacing in (so part 1's, with its light breathing every 314 passes,
// don't all fall into the dark of the breath).
bool evenlyChosen(const ScriptLength& length, int pass, int perPart) {
    int part = partOfPass(length, pass), start = 0;
    for (int p = 1; p < part; ++p)
        start += length.presented[p];
    int n = length.presented[part];
    for (int k = 0; k < perPart; ++k)
        if (pass == start + static_cast<int>((k + 0.1) * n / perPart))
            return true;
    return false;
}

bool isChosen(const Options& o, const ScriptLength& length, int pass) {
    return (o.every > 0 && pass % o.every == 0) || o.passes.count(pass) ||
           (o.perPart > 0 && evenlyChosen(length, pass, o.perPart));
}

bool writePpm(const std::string& path, const PresentedFrame& frame) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    std::fprintf(f, "P6\n%d %d\n255\n", frame.width, frame.height);
    size_t size = static_cast<size_t>(frame.width) * frame.height * 3;
    bool ok = std::fwrite(frame.rgb, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

// Per part: frames, summed mean luma and summed share of pixels above the threshold.
class BrightnessTally {
  public:
    void add(const PresentedFrame& frame) {
        size_t pixels = static_cast<size_t>(frame.width) * frame.height;
        double sum = 0;
        size_t lit = 0;
        for (size_t i = 0; i < pixels; ++i) {
            const unsigned char* p = frame.rgb + 3 * i;
            double luma = 0.2126 * p[0] + 0.7152 * p[1] + 0.0722 * p[2]; // Rec. 709
            sum += luma;
            lit += luma > kThreshold;
        }
        Part& part = parts_[frame.info.part];
        part.frames += 1;
        part.meanSum += sum / pixels;
        part.shareSum += static_cast<double>(lit) / pixels;
    }
    void print() const {
        std::printf("part  frames  mean luma  share above %d\n", kThreshold);
        for (int p : {1, 2, 3, 5, 6}) {
            const Part& part = parts_[p];
            if (part.frames > 0)
                std::printf("%4d  %6d  %9.1f  %15.2f\n", p, part.frames, part.meanSum / part.frames,
                            part.shareSum / part.frames);
        }
    }

  private:
    static constexpr int kThreshold = 24;
    struct Part {
        int frames = 0;
        double meanSum = 0;
        double shareSum = 0;
    };
    Part parts_[7];
};

// Every pass, drawn, through the capture mode's offscreen run.
int runFull(const Options& o, const FrameSink& sink) {
    OffscreenRun run;
    run.width = o.width;
    run.height = o.height;
    run.sink = [&](const PresentedFrame& frame) {
        if (isChosen(o, run.length, frame.info.pass))
            sink(frame);
    };
    int code = runOffscreen(run);
    std::printf("part  passes  seconds at 50/s  render ms per pass\n");
    for (int part : {1, 2, 3, 5, 6}) {
        int n = run.length.presented[part];
        double ms = run.passesByPart[part] ? 1000.0 * run.secondsByPart[part] / run.passesByPart[part] : 0.0;
        std::printf("%4d  %6d  %15.2f  %18.2f\n", part, n, n / 50.0, ms);
    }
    std::printf("total %6d  %15.2f\n", run.length.presentedTotal, run.length.presentedTotal / 50.0);
    return code;
}

// The six scenes as the demo loads them, the light and the script.
struct Script {
    SceneLoader loaders[6];
    std::unique_ptr<Scene> scenes[6];
    DemoLight light;
    Timeline timeline;
    std::vector<int32_t*> modes;     // every object's render mode after setUp ...
    std::vector<int32_t> setUpModes; // ... and its value

    bool load(std::string& lack) {
        // The loader reports on standard output; that goes to standard error here,
        // so standard output holds only this tool's own table.
        std::fflush(stdout);
        int savedStdout = dup(STDOUT_FILENO);
        dup2(STDERR_FILENO, STDOUT_FILENO);
        for (int i = 0; i < 6; ++i) {
            std::string name = "scene" + std::to_string(i + 1) + ".3ds";
            scenes[i].reset(loaders[i].load(name.c_str()));
        }
        std::fflush(stdout);
        dup2(savedStdout, STDOUT_FILENO);
        close(savedStdout);
        timeline = Timeline(scenes[0].get(), scenes[1].get(), scenes[2].get(), scenes[4].get(),
                            scenes[5].get(), &light);
        for (int part : {1, 2, 3, 5, 6})
            if (!meetsScriptRequirements(*scenes[part - 1], part, lack))
                return false;
        timeline.setUp();
        for (auto& scene : scenes)
            for (int32_t i = 0; i < scene->objectCount; ++i) {
                modes.push_back(&scene->objects[i]->renderMode);
                setUpModes.push_back(scene->objects[i]->renderMode);
            }
        return true;
    }
    // Drawn passes draw as the script says; the others draw nothing but a pixel.
    void drawNext(bool drawn) {
        for (size_t i = 0; i < modes.size(); ++i)
            *modes[i] = drawn ? setUpModes[i] : RENDER_HIDDEN;
        if (drawn) {
            glDisable(GL_SCISSOR_TEST);
        } else {
            glScissor(0, 0, 1, 1);
            glEnable(GL_SCISSOR_TEST);
        }
    }
};

// Only the chosen passes and the pass before each are drawn (see the top).
int runSampled(const Options& o, const FrameSink& sink) {
    OffscreenGL gl;
    std::string error;
    if (!gl.create(o.width, o.height, error)) {
        std::fprintf(stderr, "no offscreen GL: %s\n", error.c_str());
        return 1;
    }
    auto script = std::make_unique<Script>();
    if (!script->load(error)) {
        std::fprintf(stderr, "the scenes don't meet the script: %s\n", error.c_str());
        return 1;
    }
    ScriptLength length = script->timeline.length();
    int last = -1;
    for (int pass = 0; pass < length.presentedTotal; ++pass)
        if (isChosen(o, length, pass))
            last = pass;
    for (int pass = 0; pass <= last; ++pass) {
        bool chosen = isChosen(o, length, pass);
        script->drawNext(chosen || isChosen(o, length, pass + 1));
        if (script->timeline.step())
            break;
        if (!chosen)
            continue;
        std::vector<unsigned char> rgb = gl.readRgbTopDown();
        PresentedFrame frame;
        frame.info.pass = pass;
        frame.info.part = script->timeline.part;
        frame.info.presentedTotal = length.presentedTotal;
        frame.width = o.width;
        frame.height = o.height;
        frame.rgb = rgb.data();
        sink(frame);
    }
    script.reset();
    gl.destroy();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parseOptions(argc, argv, o)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    bool failed = false;
    BrightnessTally tally;
    FrameSink sink = [&](const PresentedFrame& frame) {
        if (o.brightness)
            tally.add(frame);
        if (o.out.empty() || failed)
            return;
        char name[64];
        std::snprintf(name, sizeof name, "/pass_%05d_part%d.ppm", frame.info.pass, frame.info.part);
        if (!writePpm(o.out + name, frame)) {
            std::fprintf(stderr, "can't write %s%s\n", o.out.c_str(), name);
            failed = true;
        }
    };
    int code = o.full ? runFull(o, sink) : runSampled(o, sink);
    if (o.brightness)
        tally.print();
    return failed ? 1 : code;
}
