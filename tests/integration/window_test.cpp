// Starts the real program under Xvfb and ends it with Escape, the window's close box or SIGTERM.
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

struct QuarnRun {
    std::string exitCode;
    std::string out;
    std::string log;
};

QuarnRun runQuarn(const std::string& how) {
    std::string dir = binaryDir() + "/tests/integration/window-" + how;
    std::string data = sourceDir() + "/data";
    std::string command = sourceDir() + "/tests/integration/run_quarn.sh " + binaryDir() + "/app/quarn " +
                          binaryDir() + "/tests/integration/x_close_window " + data + " " + how + " " + dir;
    EXPECT_EQ(std::system(command.c_str()), 0);
    QuarnRun run;
    run.exitCode = readFileText(dir + "/exitcode");
    run.out = readFileText(dir + "/stdout");
    run.log = readFileText(dir + "/log");
    return run;
}

const char* const BANNER_START = "----------- LoggStarted -----------*********************************"
                                 "*     VORNIK QUARN Project      ";

} // namespace

TEST(Window, EscapeEndsTheDemoWithExitCodeZero) {
    QuarnRun run = runQuarn("escape");
    EXPECT_EQ(run.exitCode, "0\n");
    EXPECT_NE(run.out.find("[USER]->Exit program\n"), std::string::npos) << run.out;
    EXPECT_EQ(run.log.rfind(BANNER_START, 0), 0u) << run.log.substr(0, 200);
}

TEST(Window, ClosingTheWindowEndsTheDemoLikeEscape) {
    QuarnRun run = runQuarn("close");
    EXPECT_EQ(run.exitCode, "0\n");
    EXPECT_NE(run.out.find("[USER]->Exit program\n"), std::string::npos) << run.out;
}

TEST(Window, SigtermEndsTheDemoLikeEscape) {
    QuarnRun run = runQuarn("sigterm");
    EXPECT_EQ(run.exitCode, "0\n");
    EXPECT_NE(run.out.find("[USER]->Exit program\n"), std::string::npos) << run.out;
}
