// quarn-convert: turns a model made with a current 3D tool into a scene the demo
// plays for one of its parts. See convertUsage() for the options.
#include "convert.h"
#include "convert_options.h"
#include "quarn_version.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(convert::convertUsage(), stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::fputs("quarn-convert " QUARN_VERSION "\n", stdout);
        return 0;
    }
    convert::ConvertOptions options;
    std::string error;
    if (!convert::parseConvertOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "quarn-convert: %s\n%s", error.c_str(), convert::convertUsage());
        return 2;
    }
    convert::Report report;
    int code = convert::convertModel(options, report, error);
    std::fputs(report.text().c_str(), stdout);
    if (code != 0)
        std::fprintf(stderr, "quarn-convert: %s\n", error.c_str());
    return code;
}

// The converter keeps no log file: its messages go to standard output and error.
bool logFileWanted() {
    return false;
}
