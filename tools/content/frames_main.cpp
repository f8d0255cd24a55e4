// quarn_frames: plays the demo's script offscreen, as fast as it renders, and
// writes chosen frames as PPM pictures, to look at the content as a viewer sees it
// (and to make the contact sheet in docs/). It loads the six scenes from the
// working directory like the demo, sets up the light and the script, and runs
// every pass in order, so the GL state each frame inherits is the demo's.
//
//   quarn_frames OUTDIR [--every N] [--per-part N] [--passes P1,P2,...] [--size WxH] [--start-part N]
//
// Writes OUTDIR/pass_NNNNN_partK.ppm and prints the script's length per part and
// the time the passes took to render.
#include "app/demo_light.h"
#include "app/offscreen_gl.h"
#include "app/timeline.h"
#include "log/log.h"
#include "render/gl.h"
#include "scene/scene_loader.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

bool writePpm(const std::string& path, int w, int h, const std::vector<unsigned char>& rgb) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    std::fprintf(f, "P6\n%d %d\n255\n", w, h);
    bool ok = std::fwrite(rgb.data(), 1, rgb.size(), f) == rgb.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: quarn_frames OUTDIR [--every N] [--passes P1,P2,...] [--size WxH]\n");
        return 2;
    }
    std::string out = argv[1];
    int every = 0, width = 640, height = 480, startPart = 1, perPart = 0;
    std::set<int> chosen;
    for (int i = 2; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--every" && i + 1 < argc)
            every = std::atoi(argv[++i]);
        else if (a == "--passes" && i + 1 < argc) {
            for (char* p = std::strtok(argv[++i], ","); p; p = std::strtok(nullptr, ","))
                chosen.insert(std::atoi(p));
        } else if (a == "--per-part" && i + 1 < argc) {
            perPart = std::atoi(argv[++i]);
        } else if (a == "--start-part" && i + 1 < argc) {
            startPart = std::atoi(argv[++i]);
        } else if (a == "--size" && i + 1 < argc) {
            if (std::sscanf(argv[++i], "%dx%d", &width, &height) != 2)
                return 2;
        } else {
            std::fprintf(stderr, "unknown argument %s\n", a.c_str());
            return 2;
        }
    }

    OffscreenGL gl;
    std::string error;
    if (!gl.create(width, height, error)) {
        std::fprintf(stderr, "no offscreen GL context: %s\n", error.c_str());
        return 1;
    }
    glViewport(0, 0, width, height);
    std::vector<SceneLoader> loaders(6);
    Scene* scenes[6];
    for (int i = 0; i < 6; ++i) {
        std::string name = "scene" + std::to_string(i + 1) + ".3ds";
        scenes[i] = loaders[i].load(name.c_str());
    }
    DemoLight light;
    Timeline timeline(scenes[0], scenes[1], scenes[2], scenes[4], scenes[5], &light);
    for (int part : {1, 2, 3, 5, 6}) {
        std::string lack;
        if (!meetsScriptRequirements(*timeline.sceneOfPart(part), part, lack)) {
            std::fprintf(stderr, "scene of part %d: %s\n", part, lack.c_str());
            return 1;
        }
    }
    ScriptLength length = timeline.length();
    if (perPart > 0) { // evenly spread over each part, none at a part's very start or end
        int start = 0;
        for (int part : {1, 2, 3, 5, 6}) {
            int n = length.presented[part];
            for (int k = 0; k < perPart; ++k)
                chosen.insert(start + static_cast<int>((k + 0.5) * n / perPart));
            start += n;
        }
    }
    timeline.setUp();
    if (startPart != 1) {
        // Skips the parts before: only for looking at one part quickly; the GL state
        // that earlier parts leave behind (texture environment, blending) may differ.
        const float offsets[7] = {0, 0, 40, 140, 0, 80, 37};
        timeline.part = startPart;
        timeline.fovOffset = offsets[startPart];
        if (startPart == 6) {
            GLfloat fogColor[4] = {0.3f, 0.0f, 0.0f, 0.0f};
            glEnable(GL_FOG);
            glFogfv(GL_FOG_COLOR, fogColor);
            glFogf(GL_FOG_DENSITY, 0.01f);
        }
    }

    double seconds[7] = {0};
    int counted[7] = {0};
    for (int pass = 0;; ++pass) {
        auto t0 = std::chrono::steady_clock::now();
        bool ended = timeline.step();
        glFinish();
        double dt = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (ended)
            break;
        int part = timeline.part;
        seconds[part] += dt;
        counted[part] += 1;
        if ((every > 0 && pass % every == 0) || chosen.count(pass)) {
            char name[64];
            std::snprintf(name, sizeof name, "/pass_%05d_part%d.ppm", pass, part);
            if (!writePpm(out + name, width, height, gl.readRgbTopDown()))
                return 1;
        }
    }
    std::printf("part  passes  seconds at 50/s  render ms per pass\n");
    for (int part : {1, 2, 3, 5, 6})
        std::printf("%4d  %6d  %15.2f  %18.2f\n", part, length.presented[part], length.presented[part] / 50.0,
                    counted[part] ? 1000.0 * seconds[part] / counted[part] : 0.0);
    std::printf("total %6d  %15.2f\n", length.presentedTotal, length.presentedTotal / 50.0);
    return 0;
}
