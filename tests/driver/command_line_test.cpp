// The command line: the demo without arguments, the offscreen modes with theirs, and
// a clear refusal of anything else.
#include "app/capture_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Parsed {
    bool ok;
    CommandLine line;
    std::string error;
};

Parsed parse(std::vector<const char*> args) {
    args.insert(args.begin(), "quarn");
    Parsed p;
    p.ok = parseCommandLine(static_cast<int>(args.size()), args.data(), p.line, p.error);
    return p;
}

TEST(CommandLine, NoArgumentsPlaysTheDemo) {
    Parsed p = parse({});
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.line.mode, CommandLine::DEMO);
}

TEST(CommandLine, CaptureWithSizeAndPasses) {
    Parsed p = parse({"--capture", "out/frames", "--size", "320x200", "--passes", "10-20"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.line.mode, CommandLine::CAPTURE);
    EXPECT_EQ(p.line.directory, "out/frames");
    EXPECT_EQ(p.line.width, 320);
    EXPECT_EQ(p.line.height, 200);
    EXPECT_EQ(p.line.firstPass, 10);
    EXPECT_EQ(p.line.lastPass, 20);

    Parsed defaults = parse({"--passes", "0-0", "--capture", "d"});
    ASSERT_TRUE(defaults.ok) << defaults.error;
    EXPECT_EQ(defaults.line.width, 640);
    EXPECT_EQ(defaults.line.height, 480);

    Parsed whole = parse({"--capture", "d"});
    EXPECT_EQ(whole.line.firstPass, 0);
    EXPECT_EQ(whole.line.lastPass, INT32_MAX);
}

TEST(CommandLine, Benchmark) {
    Parsed p = parse({"--benchmark", "--size", "1280x1024"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.line.mode, CommandLine::BENCHMARK);
    EXPECT_EQ(p.line.width, 1280);
    EXPECT_EQ(p.line.height, 1024);
    EXPECT_EQ(parse({"--help"}).line.mode, CommandLine::HELP);
    EXPECT_EQ(parse({"--version", "--bogus"}).line.mode, CommandLine::VERSION);
}

TEST(CommandLine, MistakesAreRefusedWithAReason) {
    const std::vector<std::vector<const char*>> wrong = {
        {"--record"},
        {"capture"},
        {"--capture"},
        {"--capture", ""},
        {"--capture", "d", "--size"},
        {"--capture", "d", "--size", "640"},
        {"--capture", "d", "--size", "0x480"},
        {"--capture", "d", "--size", "640x480x3"},
        {"--capture", "d", "--size", "-640x480"},
        {"--capture", "d", "--size", "99999999999x1"},
        {"--capture", "d", "--size", "20000x10"},
        {"--capture", "d", "--size", "64x64", "--size", "64x64"},
        {"--capture", "d", "--passes", "5"},
        {"--capture", "d", "--passes", "9-3"},
        {"--capture", "d", "--passes", "-3"},
        {"--capture", "d", "--passes", "1-2-3"},
        {"--capture", "d", "--benchmark"},
        {"--benchmark", "--passes", "1-2"},
        {"--size", "64x64"},
        {"--passes", "1-2"},
    };
    for (const auto& args : wrong) {
        Parsed p = parse(args);
        std::string shown;
        for (const char* a : args)
            shown += std::string(a) + " ";
        EXPECT_FALSE(p.ok) << shown;
        EXPECT_FALSE(p.error.empty()) << shown;
    }
    EXPECT_EQ(parse({"--video", "x.mp4"}).error, "unknown option \"--video\"");
    EXPECT_NE(std::string(usageText()).find("--capture DIR"), std::string::npos);
}

} // namespace
