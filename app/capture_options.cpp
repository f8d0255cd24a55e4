#include "app/capture_options.h"

#include <cstring>

namespace {

// A decimal number without sign, at most 9 digits; `end` gets what follows it.
bool parseCount(const char* text, int32_t& value, const char** end) {
    if (!(*text >= '0' && *text <= '9'))
        return false;
    int64_t result = 0;
    int digits = 0;
    while (*text >= '0' && *text <= '9') {
        if (++digits > 9)
            return false;
        result = result * 10 + (*text - '0');
        ++text;
    }
    value = static_cast<int32_t>(result);
    *end = text;
    return true;
}

bool parseSize(const char* text, int32_t& width, int32_t& height) {
    const char* rest = nullptr;
    if (!parseCount(text, width, &rest) || (*rest != 'x' && *rest != 'X'))
        return false;
    if (!parseCount(rest + 1, height, &rest) || *rest != '\0')
        return false;
    return width >= 1 && height >= 1 && width <= 16384 && height <= 16384;
}

bool parseRange(const char* text, int32_t& first, int32_t& last) {
    const char* rest = nullptr;
    if (!parseCount(text, first, &rest) || *rest != '-')
        return false;
    if (!parseCount(rest + 1, last, &rest) || *rest != '\0')
        return false;
    return first <= last;
}

// --part N and --scene FILE; false when the option is neither. On a mistake sets `error`.
bool parsePartOption(const char* option, const char* value, CommandLine& result, std::string& error) {
    if (std::strcmp(option, "--part") == 0) {
        const char* rest = nullptr;
        int32_t part = 0;
        if (!value || !parseCount(value, part, &rest) || *rest != '\0' || part < 1 || part > 6 || part == 4)
            error = "--part wants 1, 2, 3, 5 or 6";
        result.part = part;
        return true;
    }
    if (std::strcmp(option, "--scene") == 0) {
        if (!value || *value == '\0')
            error = "--scene needs a scene file";
        else
            result.sceneFile = value;
        return true;
    }
    return false;
}

} // namespace

const char* usageText() {
    return "usage: quarn                       play the demo in a window\n"
           "       quarn --capture DIR [--size WxH] [--passes A-B]\n"
           "                                   play the script offscreen and write every presented\n"
           "                                   pass as DIR/frame00000.png ... (default size 640x480;\n"
           "                                   --passes writes only passes A to B, counted from 0)\n"
           "       quarn --benchmark [--size WxH]\n"
           "                                   play the script offscreen as fast as possible and\n"
           "                                   print passes per second, for the run and per part\n"
           "       quarn --record FILE.mp4 [--size WxH] [--passes A-B]\n"
           "                                   play the script offscreen and write it as a video at\n"
           "                                   50 frames per second with demo.mp3 looped as its sound\n"
           "                                   (needs ffmpeg; default size 640x480)\n"
           "       quarn --part N [--scene FILE]\n"
           "                                   play only part N (1, 2, 3, 5, 6) in a loop, from FILE or\n"
           "                                   the part's scene file, reloading it when it changes;\n"
           "                                   --capture, --record and --benchmark take both too\n"
           "       quarn --help                show this text\n"
           "The scene files are read from the working directory.\n";
}

bool parseCommandLine(int argc, const char* const* argv, CommandLine& result, std::string& error) {
    result = CommandLine();
    bool sizeGiven = false;
    bool passesGiven = false;
    bool modeGiven = false;
    for (int i = 1; i < argc; ++i) {
        const char* option = argv[i];
        auto value = [&](const char* what) -> const char* {
            if (i + 1 >= argc) {
                error = std::string(option) + " needs " + what;
                return nullptr;
            }
            return argv[++i];
        };
        auto setMode = [&](CommandLine::Mode mode) {
            if (modeGiven) {
                error = "choose one of --capture, --record and --benchmark";
                return false;
            }
            modeGiven = true;
            result.mode = mode;
            return true;
        };
        if (std::strcmp(option, "--help") == 0 || std::strcmp(option, "-h") == 0) {
            result.mode = CommandLine::HELP;
            return true;
        } else if (std::strcmp(option, "--capture") == 0) {
            if (!setMode(CommandLine::CAPTURE))
                return false;
            const char* dir = value("a directory");
            if (!dir)
                return false;
            if (*dir == '\0') {
                error = "--capture needs a directory";
                return false;
            }
            result.directory = dir;
        } else if (std::strcmp(option, "--record") == 0) {
            if (!setMode(CommandLine::RECORD))
                return false;
            const char* file = value("a video file name");
            if (!file)
                return false;
            if (*file == '\0') {
                error = "--record needs a video file name";
                return false;
            }
            result.videoFile = file;
        } else if (std::strcmp(option, "--benchmark") == 0) {
            if (!setMode(CommandLine::BENCHMARK))
                return false;
        } else if (std::strcmp(option, "--size") == 0) {
            const char* size = value("a size like 640x480");
            if (!size)
                return false;
            if (sizeGiven || !parseSize(size, result.width, result.height)) {
                error = sizeGiven
                            ? "--size is given twice"
                            : std::string("--size wants WIDTHxHEIGHT, 1 to 16384 each, not \"") + size + "\"";
                return false;
            }
            sizeGiven = true;
        } else if (std::strcmp(option, "--passes") == 0) {
            const char* range = value("a range like 0-99");
            if (!range)
                return false;
            if (passesGiven || !parseRange(range, result.firstPass, result.lastPass)) {
                error = passesGiven ? "--passes is given twice"
                                    : std::string("--passes wants FIRST-LAST with FIRST <= LAST, not \"") +
                                          range + "\"";
                return false;
            }
            passesGiven = true;
        } else if (std::strcmp(option, "--part") == 0 || std::strcmp(option, "--scene") == 0) {
            std::string partError;
            parsePartOption(option, i + 1 < argc ? argv[++i] : nullptr, result, partError);
            if (!partError.empty()) {
                error = partError;
                return false;
            }
        } else {
            error = std::string("unknown option \"") + option + "\"";
            return false;
        }
    }
    if (sizeGiven && result.mode == CommandLine::DEMO) {
        error = "--size goes with --capture, --record or --benchmark (the window's size is chosen at start)";
        return false;
    }
    if (!result.sceneFile.empty() && result.part == 0) {
        error = "--scene goes with --part";
        return false;
    }
    if (passesGiven && result.mode != CommandLine::CAPTURE && result.mode != CommandLine::RECORD) {
        error = "--passes goes with --capture or --record";
        return false;
    }
    return true;
}
