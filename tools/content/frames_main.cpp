// quarn_frames: plays the demo's script offscreen, exactly as the capture mode does,
// and writes chosen frames as PPM pictures, to look at the content as a viewer sees it
// (and to make the contact sheet in docs/). Run it in the folder of the scene files.
//
//   quarn_frames OUTDIR [--per-part N] [--every N] [--passes P1,P2,...] [--size WxH]
//
// Writes OUTDIR/pass_NNNNN_partK.ppm and prints the script's length per part and the
// time the passes took to render.
#include "app/capture.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

namespace {

bool writePpm(const std::string& path, const PresentedFrame& frame) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    std::fprintf(f, "P6\n%d %d\n255\n", frame.width, frame.height);
    size_t size = static_cast<size_t>(frame.width) * frame.height * 3;
    bool ok = std::fwrite(frame.rgb, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

// Whether the pass is one of perPart passes spread evenly over its part, none at the
// part's very start or end.
bool evenlyChosen(const ScriptLength& length, const PassInfo& info, int perPart) {
    int start = 0;
    for (int part = 1; part < info.part; ++part)
        start += length.presented[part];
    int n = length.presented[info.part];
    for (int k = 0; k < perPart; ++k)
        if (info.pass == start + static_cast<int>((k + 0.5) * n / perPart))
            return true;
    return false;
}

} // namespace

int main(int argc, char** argv) {
    const char* usage =
        "usage: quarn_frames OUTDIR [--per-part N] [--every N] [--passes P1,P2,...] [--size WxH]\n";
    if (argc < 2) {
        std::fputs(usage, stderr);
        return 2;
    }
    std::string out = argv[1];
    int every = 0;
    int perPart = 0;
    std::set<int> chosen;
    OffscreenRun run;
    for (int i = 2; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--every" && i + 1 < argc) {
            every = std::atoi(argv[++i]);
        } else if (a == "--passes" && i + 1 < argc) {
            for (char* p = std::strtok(argv[++i], ","); p; p = std::strtok(nullptr, ","))
                chosen.insert(std::atoi(p));
        } else if (a == "--per-part" && i + 1 < argc) {
            perPart = std::atoi(argv[++i]);
        } else if (a == "--size" && i + 1 < argc) {
            if (std::sscanf(argv[++i], "%dx%d", &run.width, &run.height) != 2) {
                std::fputs(usage, stderr);
                return 2;
            }
        } else {
            std::fprintf(stderr, "unknown argument %s\n%s", a.c_str(), usage);
            return 2;
        }
    }

    bool failed = false;
    run.sink = [&](const PresentedFrame& frame) {
        const PassInfo& info = frame.info;
        bool wanted = (every > 0 && info.pass % every == 0) || chosen.count(info.pass) ||
                      (perPart > 0 && evenlyChosen(run.length, info, perPart));
        if (!wanted || failed)
            return;
        char name[64];
        std::snprintf(name, sizeof name, "/pass_%05d_part%d.ppm", info.pass, info.part);
        if (!writePpm(out + name, frame)) {
            std::fprintf(stderr, "can't write %s%s\n", out.c_str(), name);
            failed = true;
        }
    };
    int code = runOffscreen(run);
    if (failed)
        return 1;

    std::printf("part  passes  seconds at 50/s  render ms per pass\n");
    for (int part : {1, 2, 3, 5, 6}) {
        int n = run.length.presented[part];
        double ms = run.passesByPart[part] ? 1000.0 * run.secondsByPart[part] / run.passesByPart[part] : 0.0;
        std::printf("%4d  %6d  %15.2f  %18.2f\n", part, n, n / 50.0, ms);
    }
    std::printf("total %6d  %15.2f\n", run.length.presentedTotal, run.length.presentedTotal / 50.0);
    return code;
}
