// quarn-inspect: loads 3DS scene files the way the demo does and says what was read.
//
//   quarn-inspect [--json] [--detail] [--no-textures] [--part N] FILE...
//
// Like the demo it writes the log "QuarnWin32.log" in the current directory (the
// loader's lines and each scene's report), makes an OpenGL context so textures
// upload as in the demo, and ends with exit status 1 after a fatal error. The summary
// goes to standard output; the loader's own standard-output lines go to standard
// error, so that the summary (or the JSON lines) can be read on their own.
#include "app/offscreen_gl.h"
#include "log/file_places.h"
#include "log/log.h"
#include "quarn_version.h"
#include "scene/scene_loader.h"
#include "scene_requirements.h"
#include "scene_summary.h"
#include "texture/texture.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const char* const USAGE = "usage: quarn-inspect [--json] [--detail] [--no-textures] [--part N] FILE...\n"
                          "  --json         one JSON object per file, each on a line of its own\n"
                          "  --detail       with --json: vertices, coordinates, faces, normals and keys too\n"
                          "  --no-textures  don't read texture images (objects keep texture 0)\n"
                          "  --part N       check whether each file can serve as the scene of part N\n"
                          "                 (1, 2, 3, 5, 6), read from its own folder as the demo\n"
                          "                 would; exit 1 when a requirement fails\n"
                          "  --version      print the version\n"
                          "The log QuarnWin32.log goes where the demo's goes (see quarn --help).\n";

// "--part N": the part number, or 0 when the text is no shown part.
int32_t parsePart(const char* text) {
    for (int32_t part : SHOWN_PARTS) {
        if (text[0] == static_cast<char>('0' + part) && text[1] == '\0')
            return part;
    }
    return 0;
}

// The check of one file for --part; false when a requirement fails.
bool printCheck(const std::string& file, const Scene& scene, int32_t part, bool json, bool texturesLoaded) {
    std::vector<std::string> lines;
    bool passed = checkScene(scene, part, lines, texturesLoaded);
    std::fputs(checkVerdict(file, part, passed, lines, json).c_str(), stdout);
    return passed;
}

// The parts a file could serve, for the summary without --part.
std::string servedParts(const Scene& scene, bool texturesLoaded) {
    std::string parts;
    for (int32_t part : SHOWN_PARTS) {
        std::vector<std::string> lines;
        if (checkScene(scene, part, lines, texturesLoaded))
            parts += (parts.empty() ? "" : ", ") + std::to_string(part);
    }
    return parts;
}

// While alive, whatever is written to standard output goes to standard error.
class StdoutToStderr {
  public:
    StdoutToStderr() {
        std::fflush(stdout);
        saved_ = dup(STDOUT_FILENO);
        if (saved_ >= 0)
            dup2(STDERR_FILENO, STDOUT_FILENO);
        active = saved_;
    }
    ~StdoutToStderr() {
        std::fflush(stdout);
        if (saved_ >= 0) {
            dup2(saved_, STDOUT_FILENO);
            close(saved_);
        }
        active = -1;
    }
    // The real standard output while one is alive, else -1.
    static int active;
    StdoutToStderr(const StdoutToStderr&) = delete;
    StdoutToStderr& operator=(const StdoutToStderr&) = delete;

  private:
    int saved_ = -1;
};

int StdoutToStderr::active = -1;

// What --part prints when the scene can't be loaded at all (a scene or texture file
// it names is missing or unreadable): the verdict, then exit 1 as the loader would.
std::string checkedFile;
int32_t checkedPart = 0;
bool checkedJson = false;

[[noreturn]] void failedCheck(const char* text) {
    std::string reason(text);
    reason = reason.substr(0, reason.find('\n'));
    // A file in a format the demo can't read is there all right: the advice differs.
    const bool format = reason.find("not supported") != std::string::npos;
    std::string problem = "the scene can't be loaded as the demo loads it (\"" + reason + "\", see above); " +
                          (format ? "give it textures in .jpg or .tga (quarn-convert converts them)"
                                  : "put every file it names beside it");
    std::string out = checkVerdict(checkedFile, checkedPart, false, {"problem: " + problem}, checkedJson);
    std::fflush(stdout);
    if (StdoutToStderr::active >= 0)
        dup2(StdoutToStderr::active, STDOUT_FILENO);
    std::fputs(out.c_str(), stdout);
    std::fflush(stdout);
    std::exit(1);
}

// Where the textures of FILE are looked for, as the demo looks for those of a --scene
// file: beside it first, then in the working folder, then in the installed data folder.
void useTextureFoldersOf(const std::string& file) {
    std::vector<std::string> folders;
    const size_t separator = file.find_last_of("/\\");
    if (separator != std::string::npos)
        folders.push_back(file.substr(0, separator + 1));
    folders.push_back("");
#ifndef _WIN32 // on Windows the data lives beside the program, which is not where files are inspected
    const std::string data = places::installedDataFolder();
    if (!data.empty())
        folders.push_back(data + "/");
#endif
    setTextureFolders(folders);
}

// The command line; `exitCode` is set when the program should end at once.
struct Arguments {
    bool json = false;
    bool noTextures = false;
    SummaryOptions options;
    int32_t part = 0;
    std::vector<std::string> files;
    int exitCode = -1;
};

Arguments parseArguments(int argc, char** argv) {
    Arguments a;
    bool optionsDone = false;
    for (int i = 1; i < argc && a.exitCode < 0; ++i) {
        const char* arg = argv[i];
        if (optionsDone || arg[0] != '-' || arg[1] == '\0') {
            a.files.push_back(arg);
        } else if (std::strcmp(arg, "--") == 0) {
            optionsDone = true;
        } else if (std::strcmp(arg, "--json") == 0) {
            a.json = true;
        } else if (std::strcmp(arg, "--detail") == 0) {
            a.options.detail = true;
        } else if (std::strcmp(arg, "--no-textures") == 0) {
            a.noTextures = true;
        } else if (std::strcmp(arg, "--part") == 0) {
            if (i + 1 >= argc || (a.part = parsePart(argv[++i])) == 0) {
                std::fprintf(stderr, "quarn-inspect: --part wants 1, 2, 3, 5 or 6\n%s", USAGE);
                a.exitCode = 1;
            }
        } else if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            std::fputs(USAGE, stdout);
            a.exitCode = 0;
        } else if (std::strcmp(arg, "--version") == 0) {
            std::fputs("quarn-inspect " QUARN_VERSION "\n", stdout);
            a.exitCode = 0;
        } else {
            std::fprintf(stderr, "quarn-inspect: unknown option %s\n%s", arg, USAGE);
            a.exitCode = 1;
        }
    }
    if (a.exitCode < 0 && a.files.empty()) {
        std::fputs(USAGE, stderr);
        a.exitCode = 1;
    }
    return a;
}

} // namespace

int main(int argc, char** argv) {
    Arguments a = parseArguments(argc, argv);
    if (a.exitCode >= 0)
        return a.exitCode;
    // The log is made only now: --help and --version leave none.
    gLog.openFile();
    const bool json = a.json, noTextures = a.noTextures;
    const int32_t part = a.part;

    OffscreenGL gl;
    std::string glError;
    if (!gl.create(64, 64, glError)) {
        std::fprintf(stderr, "quarn-inspect: no OpenGL context: %s\n", glError.c_str());
        return 1;
    }

    bool allPassed = true;
    for (const std::string& file : a.files) {
        std::unique_ptr<Scene> scene;
        SceneLoader loader;
        loader.loadTextures = !noTextures;
        if (part != 0) {
            checkedFile = file, checkedPart = part, checkedJson = json;
            Log::setFatalHandler(failedCheck);
        }
        {
            StdoutToStderr redirect;
            useTextureFoldersOf(file);
            scene.reset(loader.load(file.c_str()));
        }
        Log::setFatalHandler(nullptr);
        scene->report();
        if (part != 0) {
            allPassed = printCheck(file, *scene, part, json, !noTextures) && allPassed;
            continue;
        }
        std::string summary = json ? jsonSummary(file, *scene, loader, a.options)
                                   : textSummary(file, *scene, loader, a.options);
        // The JSON summary keeps its keys; --part N --json gives the check as JSON.
        if (!json) {
            std::string parts = servedParts(*scene, !noTextures);
            summary += "  could serve parts: " + (parts.empty() ? std::string("none") : parts) + "\n";
        }
        std::fputs(summary.c_str(), stdout);
        std::fflush(stdout);
    }
    if (gLog.file)
        std::fflush(gLog.file);
    return allPassed ? 0 : 1;
}
