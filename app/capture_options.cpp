#include "app/capture_options.h"

#include "quarn_version.h"

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
           "       --fps F (24, 25, 30, 50, 60, 120) with --capture or --record: frames per second;\n"
           "                                   at 50 every frame is a pass's own, otherwise frames\n"
           "                                   are drawn between passes\n"
           "       --samples N (1, 2, 4, 8, 16) with --capture, --record or --benchmark: samples per\n"
           "                                   pixel for smooth edges (default one)\n"
           "       --fill                      at a size that is not 4:3, fill it at its own shape\n"
           "                                   instead of the 4:3 picture between black bars\n"
           "       quarn --version             print the version\n"
           "       quarn --part N [--scene FILE]\n"
           "                                   play only part N (1, 2, 3, 5, 6) in a loop, from FILE or\n"
           "                                   the part's scene file, reloading it when it changes;\n"
           "                                   --capture, --record and --benchmark take both too\n"
           "       quarn [--part N] --classic-pacing\n"
           "                                   one picture per 20 ms pass, as the demo was made, instead\n"
           "                                   of frames at the display's rate between passes\n"
           "       quarn [--part N] --stats    print the frame and pass rates when the window closes\n"
           "       quarn --no-multisample      the window without smooth edges (4 samples a pixel\n"
           "                                   where the driver offers them); --fill fills a window\n"
           "                                   of another shape; F11 or Alt+Enter: full screen\n"
           "       quarn --help                show this text\n"
           "Files: started in a folder holding scene1.3ds, the scenes, textures and demo.mp3 are\n"
           "read from the working directory and the log QuarnWin32.log is written there.\n"
           "Otherwise they are read from the data folder installed beside the program\n"
           "(../share/quarn from its folder) and the log goes to $XDG_STATE_HOME/quarn/\n"
           "(~/.local/state/quarn/ by default). --capture and --record write where they are\n"
           "told, relative to the working directory; a bare --record file name goes to\n"
           "$XDG_VIDEOS_DIR when that is set and the data is the installed one.\n";
}

const char* versionText() {
    return "quarn " QUARN_VERSION "\n"
           "Copyright (c) 2026 The Quarn developers. MIT licence, for the program and the demo's content.\n";
}

namespace {

// The state of one pass over argv: each option's step reads its values through it.
struct Parser {
    int argc;
    const char* const* argv;
    int index;
    CommandLine& result;
    std::string& error;
    bool sizeGiven = false;
    bool passesGiven = false;
    bool modeGiven = false;
    bool fpsGiven = false;
    bool samplesGiven = false;

    const char* option() const { return argv[index]; }

    // The option's value, or null with the error set when argv ends first.
    const char* value(const char* what) {
        if (index + 1 >= argc) {
            error = std::string(option()) + " needs " + what;
            return nullptr;
        }
        return argv[++index];
    }

    bool setMode(CommandLine::Mode mode) {
        if (modeGiven) {
            error = "choose one of --capture, --record and --benchmark";
            return false;
        }
        modeGiven = true;
        result.mode = mode;
        return true;
    }

    // A value that must not be empty: "--capture needs a directory".
    const char* nonEmptyValue(const char* what) {
        const char* name = option();
        const char* text = value(what);
        if (text && *text == '\0') {
            error = std::string(name) + " needs " + what;
            return nullptr;
        }
        return text;
    }
};

bool takeCapture(Parser& p) {
    if (!p.setMode(CommandLine::CAPTURE))
        return false;
    const char* dir = p.nonEmptyValue("a directory");
    if (dir)
        p.result.directory = dir;
    return dir != nullptr;
}

bool takeRecord(Parser& p) {
    if (!p.setMode(CommandLine::RECORD))
        return false;
    const char* file = p.nonEmptyValue("a video file name");
    if (file)
        p.result.videoFile = file;
    return file != nullptr;
}

bool takeBenchmark(Parser& p) {
    return p.setMode(CommandLine::BENCHMARK);
}

bool takeSize(Parser& p) {
    const char* size = p.value("a size like 640x480");
    if (!size)
        return false;
    if (p.sizeGiven || !parseSize(size, p.result.width, p.result.height)) {
        p.error = p.sizeGiven
                      ? "--size is given twice"
                      : std::string("--size wants WIDTHxHEIGHT, 1 to 16384 each, not \"") + size + "\"";
        return false;
    }
    p.sizeGiven = true;
    return true;
}

bool takePartOrScene(Parser& p) {
    const char* option = p.option();
    const char* value = p.index + 1 < p.argc ? p.argv[++p.index] : nullptr;
    parsePartOption(option, value, p.result, p.error);
    return p.error.empty();
}

bool takePasses(Parser& p) {
    const char* range = p.value("a range like 0-99");
    if (!range)
        return false;
    if (p.passesGiven || !parseRange(range, p.result.firstPass, p.result.lastPass)) {
        p.error = p.passesGiven
                      ? "--passes is given twice"
                      : std::string("--passes wants FIRST-LAST with FIRST <= LAST, not \"") + range + "\"";
        return false;
    }
    p.passesGiven = true;
    return true;
}

bool takeNumber(Parser& p, const char* what, const int32_t* allowed, size_t count, int32_t& out) {
    const char* option = p.option();
    const char* text = p.value(what);
    if (!text)
        return false;
    const char* rest = nullptr;
    int32_t number = 0;
    bool ok = parseCount(text, number, &rest) && *rest == '\0';
    for (size_t i = 0; ok && i < count; ++i)
        if (allowed[i] == number) {
            out = number;
            return true;
        }
    p.error = std::string(option) + " wants " + what + ", not \"" + text + "\"";
    return false;
}

bool takeFps(Parser& p) {
    static const int32_t RATES[] = {24, 25, 30, 50, 60, 120};
    p.fpsGiven = true;
    return takeNumber(p, "24, 25, 30, 50, 60 or 120", RATES, 6, p.result.fps);
}

bool takeSamples(Parser& p) {
    static const int32_t COUNTS[] = {1, 2, 4, 8, 16};
    if (!takeNumber(p, "1, 2, 4, 8 or 16", COUNTS, 5, p.result.samples))
        return false;
    if (p.result.samples == 1)
        p.result.samples = 0;
    p.samplesGiven = true;
    return true;
}

bool takeFill(Parser& p) {
    p.result.fill = true;
    return true;
}

bool takeNoMultisample(Parser& p) {
    p.result.multisample = false;
    return true;
}

bool takeClassicPacing(Parser& p) {
    p.result.classicPacing = true;
    return true;
}

bool takeStats(Parser& p) {
    p.result.stats = true;
    return true;
}

struct OptionStep {
    const char* name;
    bool (*take)(Parser&);
};

const OptionStep OPTION_STEPS[] = {
    {"--capture", takeCapture},
    {"--record", takeRecord},
    {"--benchmark", takeBenchmark},
    {"--size", takeSize},
    {"--passes", takePasses},
    {"--part", takePartOrScene},
    {"--scene", takePartOrScene},
    {"--classic-pacing", takeClassicPacing},
    {"--stats", takeStats},
    {"--fps", takeFps},
    {"--samples", takeSamples},
    {"--fill", takeFill},
    {"--no-multisample", takeNoMultisample},
};

// Options that answer at once and end the parse: the rest of the line is not read.
bool takeAnswerOption(const char* option, CommandLine& result) {
    if (std::strcmp(option, "--help") == 0 || std::strcmp(option, "-h") == 0)
        result.mode = CommandLine::HELP;
    else if (std::strcmp(option, "--version") == 0)
        result.mode = CommandLine::VERSION;
    else
        return false;
    return true;
}

// Options that only make sense with a mode.
bool checkCombination(Parser& p) {
    if (p.sizeGiven && p.result.mode == CommandLine::DEMO) {
        p.error =
            "--size goes with --capture, --record or --benchmark (the window's size is chosen at start)";
        return false;
    }
    if (p.fpsGiven && p.result.mode != CommandLine::CAPTURE && p.result.mode != CommandLine::RECORD) {
        p.error = "--fps goes with --capture or --record";
        return false;
    }
    if (p.samplesGiven && p.result.mode == CommandLine::DEMO) {
        p.error = "--samples goes with --capture, --record or --benchmark";
        return false;
    }
    if ((p.result.classicPacing || p.result.stats || !p.result.multisample) &&
        p.result.mode != CommandLine::DEMO) {
        p.error = "--classic-pacing, --stats and --no-multisample go with the window";
        return false;
    }
    if (!p.result.sceneFile.empty() && p.result.part == 0) {
        p.error = "--scene goes with --part";
        return false;
    }
    if (p.passesGiven && p.result.mode != CommandLine::CAPTURE && p.result.mode != CommandLine::RECORD) {
        p.error = "--passes goes with --capture or --record";
        return false;
    }
    return true;
}

} // namespace

bool parseCommandLine(int argc, const char* const* argv, CommandLine& result, std::string& error) {
    result = CommandLine();
    Parser parser{argc, argv, 1, result, error};
    for (; parser.index < argc; ++parser.index) {
        const char* option = parser.option();
        if (takeAnswerOption(option, result))
            return true;
        const OptionStep* step = nullptr;
        for (const OptionStep& candidate : OPTION_STEPS)
            if (std::strcmp(option, candidate.name) == 0)
                step = &candidate;
        if (!step) {
            error = std::string("unknown option \"") + option + "\"";
            return false;
        }
        if (!step->take(parser))
            return false;
    }
    return checkCombination(parser);
}
