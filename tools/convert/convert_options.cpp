#include "convert_options.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace convert {

namespace {

bool parseNumber(const char* text, double& value) {
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0' && std::isfinite(value);
}

// "INDEX=NAME": the source object NAME becomes object INDEX of the scene.
bool parseRole(const char* value, ConvertOptions& options, std::string& error) {
    const char* equals = std::strchr(value, '=');
    char* end = nullptr;
    long index = std::strtol(value, &end, 10);
    if (!equals || end != equals || end == value || index < 0 || index > 59999 || equals[1] == '\0') {
        error = std::string("--role wants INDEX=NAME (an object number and a source object's name), not \"") +
                value + "\"";
        return false;
    }
    for (const ConvertOptions::Role& role : options.roles) {
        if (role.index == index) {
            error = "--role gives object " + std::to_string(index) + " twice";
            return false;
        }
    }
    options.roles.push_back({static_cast<int>(index), equals + 1});
    return true;
}

// Handles one option with a value at argv[i]; false with `error` set on a mistake.
bool parseValueOption(const char* option, const char* value, ConvertOptions& options, std::string& error) {
    double number = 0;
    if (std::strcmp(option, "--camera") == 0) {
        options.camera = value;
        return true;
    }
    if (std::strcmp(option, "--role") == 0)
        return parseRole(value, options, error);
    if (!parseNumber(value, number)) {
        error = std::string(option) + " wants a number, not \"" + value + "\"";
        return false;
    }
    if (std::strcmp(option, "--part") == 0) {
        options.part = static_cast<int>(number);
        if (number != options.part || (options.part < 1 || options.part > 6 || options.part == 4)) {
            error = "--part wants 1, 2, 3, 5 or 6";
            return false;
        }
    } else if (std::strcmp(option, "--seconds") == 0) {
        if (number <= 0 || number > MAX_SECONDS) {
            error = "--seconds wants a number above 0 and at most 600";
            return false;
        }
        options.seconds = number;
    } else {
        if (!(number > 0) || number > 1e6) {
            error = "--scale wants a number above 0 and at most 1000000";
            return false;
        }
        options.scale = static_cast<float>(number);
    }
    return true;
}

} // namespace

const char* convertUsage() {
    return "usage: quarn-convert INPUT OUTPUT.3ds [--part N] [--seconds S] [--scale F] [--camera NAME] "
           "[--z-up] [--allow-outside]\n"
           "                     [--keep-widening] [--role INDEX=NAME]...\n"
           "  --part N       make the scene for part 1, 2, 3, 5 or 6 (default 2)\n"
           "  --seconds S    length of the camera flight (default: the animation's length)\n"
           "  --scale F      multiply every coordinate by F (default 1)\n"
           "  --camera NAME  fly the camera of that name (default: the first camera)\n"
           "  --z-up         the input is Z-up already (default: Y-up, turned to Z-up)\n"
           "  --allow-outside  read buffers and images the model names outside its folder\n"
           "                 (refused by default: a model from elsewhere could name any file)\n"
           "  --keep-widening  keep the part's own widening of the view on top of the camera's\n"
           "                 (default: the part plays the camera's own field of view)\n"
           "  --role INDEX=NAME  make the source object NAME object INDEX of the scene\n"
           "                 (default: by name, then the larger first; a .3ds keeps its order)\n"
           "  --version      print the version\n";
}

bool parseConvertOptions(int argc, const char* const* argv, ConvertOptions& options, std::string& error) {
    options = ConvertOptions();
    int positional = 0;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--z-up") == 0) {
            options.sourceZUp = true;
        } else if (std::strcmp(arg, "--keep-widening") == 0) {
            options.keepWidening = true;
        } else if (std::strcmp(arg, "--allow-outside") == 0) {
            options.allowOutside = true;
        } else if (std::strcmp(arg, "--part") == 0 || std::strcmp(arg, "--seconds") == 0 ||
                   std::strcmp(arg, "--scale") == 0 || std::strcmp(arg, "--camera") == 0 ||
                   std::strcmp(arg, "--role") == 0) {
            if (i + 1 >= argc) {
                error = std::string(arg) + " needs a value";
                return false;
            }
            if (!parseValueOption(arg, argv[++i], options, error))
                return false;
        } else if (arg[0] == '-' && arg[1] != '\0') {
            error = std::string("unknown option \"") + arg + "\"";
            return false;
        } else if (positional++ == 0) {
            options.input = arg;
        } else if (positional == 2) {
            options.output = arg;
        } else {
            error = "one input and one output, please";
            return false;
        }
    }
    if (positional < 2) {
        error = "needs an input model and an output .3ds file";
        return false;
    }
    return true;
}

} // namespace convert
