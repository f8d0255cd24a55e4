// quarn_content: writes the demo's scenes, textures and the soundtrack's WAV
// from a seed. scripts/make-content.sh runs it into data/ and encodes the MP3.
#include "content.h"
#include "image.h"
#include "loudness.h"
#include "music.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void usage() {
    std::fprintf(stderr, "usage: quarn_content [--seed N] [--out DIR] [--wav FILE] [--no-music]\n"
                         "                     [--scene N] [--no-textures] [--bars N]\n"
                         "       quarn_content --peak RAWFILE\n"
                         "  --peak prints the true peak (dBTP) of 16-bit stereo raw samples at 44.1 kHz,\n"
                         "  their integrated loudness (LUFS) and loudness range (LU), for the decoded MP3.\n"
                         "  Writes scene1.3ds .. scene6.3ds and their textures into DIR (default data)\n"
                         "  and the soundtrack as 16-bit stereo WAV into FILE (default DIR/demo.wav).\n"
                         "  --scene N writes only scene N, --no-textures no textures, --bars N only the\n"
                         "  song's first N bars, as a loop (quick checks of the generator).\n");
}

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

struct Options {
    uint64_t seed = 1999;
    std::string out = "data", wav, peakFile;
    bool music = true, textures = true;
    int onlyScene = 0, bars = content::kSongBars;
};

bool parseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        bool value = i + 1 < argc;
        if (a == "--seed" && value)
            o.seed = std::strtoull(argv[++i], nullptr, 10);
        else if (a == "--out" && value)
            o.out = argv[++i];
        else if (a == "--wav" && value)
            o.wav = argv[++i];
        else if (a == "--peak" && value)
            o.peakFile = argv[++i];
        else if (a == "--scene" && value)
            o.onlyScene = std::atoi(argv[++i]);
        else if (a == "--bars" && value)
            o.bars = std::atoi(argv[++i]);
        else if (a == "--no-music")
            o.music = false;
        else if (a == "--no-textures")
            o.textures = false;
        else
            return false;
    }
    if (o.wav.empty())
        o.wav = o.out + "/demo.wav";
    return o.bars >= 1 && o.bars <= content::kSongBars;
}

// Prints true peak, integrated loudness and loudness range of raw 16-bit stereo.
int measure(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return 1;
    std::vector<double> raw;
    int16_t buf[4096];
    size_t got;
    while ((got = std::fread(buf, sizeof buf[0], 4096, f)) > 0)
        for (size_t k = 0; k < got; ++k)
            raw.push_back(buf[k] / 32768.0);
    std::fclose(f);
    content::Loudness l = content::measureLoudness(raw, 44100);
    std::printf("%.2f %.2f %.2f\n", l.truePeak, l.integrated, l.range);
    return 0;
}

bool writeContent(const Options& o) {
    for (const content::SceneFile& s : content::buildScenes(o.seed)) {
        if (o.onlyScene > 0 && s.fileName != "scene" + std::to_string(o.onlyScene) + ".3ds")
            continue;
        std::string path = o.out + "/" + s.fileName;
        if (!tds::saveFile(path, tds::sceneBytes(s.desc))) {
            std::fprintf(stderr, "can't write %s\n", path.c_str());
            return false;
        }
        std::printf("%s\n", path.c_str());
    }
    if (!o.textures)
        return true;
    for (const content::TextureFile& t : content::buildTextures(o.seed)) {
        std::string path = o.out + "/" + t.fileName;
        bool ok = endsWith(t.fileName, ".tga") ? content::writeTga(path, t.image)
                                               : content::writeJpeg(path, t.image, t.jpegQuality);
        if (!ok) {
            std::fprintf(stderr, "can't write %s\n", path.c_str());
            return false;
        }
        std::printf("%s\n", path.c_str());
    }
    return true;
}

bool writeSong(const Options& o) {
    content::Song song = content::renderSong(o.seed, o.bars);
    if (!content::writeWav(o.wav, song)) {
        std::fprintf(stderr, "can't write %s\n", o.wav.c_str());
        return false;
    }
    std::printf("%s (%.1f s, peak %.2f dBFS)\n", o.wav.c_str(), song.seconds(), song.peakDb());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parseOptions(argc, argv, o)) {
        usage();
        return 2;
    }
    if (!o.peakFile.empty())
        return measure(o.peakFile);
    if (!writeContent(o) || (o.music && !writeSong(o)))
        return 1;
    return 0;
}
