// quarn_content: writes the demo's scenes, textures and the soundtrack's WAV
// from a seed. scripts/make-content.sh runs it into data/ and encodes the MP3.
#include "content.h"
#include "image.h"
#include "music.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void usage() {
    std::fprintf(stderr, "usage: quarn_content [--seed N] [--out DIR] [--wav FILE] [--no-music]\n"
                         "       quarn_content --peak RAWFILE\n"
                         "  --peak prints the peak of 16-bit raw samples in dBFS (for the decoded MP3).\n"
                         "  Writes scene1.3ds .. scene6.3ds and their textures into DIR (default data)\n"
                         "  and the soundtrack as 16-bit stereo WAV into FILE (default DIR/demo.wav).\n");
}

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

int main(int argc, char** argv) {
    uint64_t seed = 1999;
    std::string out = "data", wav;
    bool music = true;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--seed" && i + 1 < argc)
            seed = std::strtoull(argv[++i], nullptr, 10);
        else if (a == "--out" && i + 1 < argc)
            out = argv[++i];
        else if (a == "--wav" && i + 1 < argc)
            wav = argv[++i];
        else if (a == "--peak" && i + 1 < argc) {
            std::FILE* f = std::fopen(argv[++i], "rb");
            if (!f)
                return 1;
            content::Song raw;
            int16_t buf[4096];
            size_t got;
            while ((got = std::fread(buf, sizeof buf[0], 4096, f)) > 0)
                raw.samples.insert(raw.samples.end(), buf, buf + got);
            std::fclose(f);
            std::printf("%.2f\n", raw.peakDb());
            return 0;
        } else if (a == "--no-music")
            music = false;
        else {
            usage();
            return 2;
        }
    }
    if (wav.empty())
        wav = out + "/demo.wav";

    for (const content::SceneFile& s : content::buildScenes(seed)) {
        std::string path = out + "/" + s.fileName;
        if (!tds::saveFile(path, tds::sceneBytes(s.desc))) {
            std::fprintf(stderr, "can't write %s\n", path.c_str());
            return 1;
        }
        std::printf("%s\n", path.c_str());
    }
    for (const content::TextureFile& t : content::buildTextures(seed)) {
        std::string path = out + "/" + t.fileName;
        bool ok = endsWith(t.fileName, ".tga") ? content::writeTga(path, t.image)
                                               : content::writeJpeg(path, t.image, t.jpegQuality);
        if (!ok) {
            std::fprintf(stderr, "can't write %s\n", path.c_str());
            return 1;
        }
        std::printf("%s\n", path.c_str());
    }
    if (music) {
        content::Song song = content::renderSong(seed);
        if (!content::writeWav(wav, song)) {
            std::fprintf(stderr, "can't write %s\n", wav.c_str());
            return 1;
        }
        std::printf("%s (%.1f s, peak %.2f dBFS)\n", wav.c_str(), song.seconds(), song.peakDb());
    }
    return 0;
}
