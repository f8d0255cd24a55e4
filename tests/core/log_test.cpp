#include "log/log.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const std::string BANNER = "----------- LoggStarted -----------"
                           "*********************************"
                           "*     VORNIK QUARN Project      "
                           "*                               "
                           "*  Code:    VORNIK              "
                           "*  Music:   VORNIK              "
                           "*                               "
                           "*  3d art:  VORNIK              "
                           "*                               "
                           "*  Contact: vornik@example.org  "
                           "*                               "
                           "*********************************";

// Runs fn with a fresh working directory, so a Log built there writes its own file.
class InTempDir {
  public:
    InTempDir() {
        char pattern[] = "/tmp/quarn-log-XXXXXX";
        dir_ = mkdtemp(pattern);
        getcwd(old_, sizeof old_);
        EXPECT_EQ(chdir(dir_.c_str()), 0);
    }
    ~InTempDir() {
        EXPECT_EQ(chdir(old_), 0);
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    std::string path(const char* name) const { return dir_ + "/" + name; }

  private:
    std::string dir_;
    char old_[4096];
};

} // namespace

TEST(Log, BannerIsTwelveFramedLinesJoinedWithoutBreaks) {
    EXPECT_EQ(BANNER.size(), 35u + 33u + 9u * 32u + 33u);
    InTempDir dir;
    writeFileText("QuarnWin32.log", "old contents that must go");
    {
        Log log(Log::FILE_OUTPUT);
        log.message("[#] first progress %d\n", 1);
        std::fflush(log.file);
        EXPECT_EQ(readFileText(dir.path("QuarnWin32.log")), BANNER + "[#] first progress 1\n");
        std::fclose(log.file);
    }
}

TEST(Log, GlobalLogWroteTheBannerAtStartUp) {
    std::fflush(gLog.file);
    EXPECT_EQ(gLog.flags, Log::FILE_OUTPUT);
    EXPECT_EQ(readFileText("QuarnWin32.log").substr(0, BANNER.size()), BANNER);
}

TEST(Log, MessageWritesCharactersUnchanged) {
    LogMark mark;
    gLog.message("[#] Material Name: %s\n", "100%_wood %d %s");
    gLog.message("no line end");
    gLog.message("%s", "-> joined");
    EXPECT_EQ(mark.text(), "[#] Material Name: 100%_wood %d %s\nno line end-> joined");
}

TEST(Log, LongMessagesAreCutAt1023Characters) {
    LogMark mark;
    std::string longText(5000, 'x');
    gLog.message("%s|%s", longText.c_str(), "tail");
    EXPECT_EQ(mark.text(), std::string(1023, 'x'));
}

TEST(Log, UncreatableFileLeavesFileOutputOff) {
    InTempDir dir;
    ASSERT_EQ(mkdir("QuarnWin32.log", 0755), 0); // a directory can't be opened as the log
    Log log(Log::FILE_OUTPUT);
    EXPECT_EQ(log.file, nullptr);
    log.message("still fine %d\n", 3);
    EXPECT_EQ(fatalTextOf([&] { log.error("stops %s", "cleanly"); }), "stops cleanly");
}

TEST(Log, ConsoleWritesEachMessageAsItsOwnLineAndNoFile) {
    InTempDir dir;
    testing::internal::CaptureStderr();
    Log log(Log::CONSOLE);
    log.message("one");
    log.message("two\n");
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(log.file, nullptr);
    EXPECT_EQ(readFileText(dir.path("QuarnWin32.log")), "");
    EXPECT_NE(err.find("*********************************\n"), std::string::npos);
    EXPECT_NE(err.find("\none\ntwo\n\n"), std::string::npos);
}

TEST(Log, ErrorWithBothOutputsWritesTheFileOnce) {
    InTempDir dir;
    setenv("SDL_VIDEODRIVER", "dummy", 1); // the error box can't show: it returns at once
    Log log(Log::CONSOLE | Log::FILE_OUTPUT);
    testing::internal::CaptureStderr();
    EXPECT_EQ(fatalTextOf([&] { log.error("Could not init %s", "bass"); }), "Could not init bass");
    testing::internal::GetCapturedStderr();
    std::string text = readFileText(dir.path("QuarnWin32.log"));
    EXPECT_EQ(text, BANNER + "Could not init bass");
    std::fclose(log.file);
}

TEST(Log, LogFileThatCantBeWrittenIsSaidOnceOnStandardError) {
    Log log(0);
    log.flags = Log::FILE_OUTPUT;
    log.file = std::fopen("/dev/full", "w"); // every write fails as on a full disk
    ASSERT_NE(log.file, nullptr);
    log.filePath = "QuarnWin32.log";
    ::testing::internal::CaptureStderr();
    for (int i = 0; i < 200; ++i)
        log.message("%s\n", std::string(100, 'x').c_str());
    log.flushFile();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Can't write the log file \"QuarnWin32.log\": No space left on device.\n");
    std::fclose(log.file);
    log.file = nullptr;
}

TEST(LogDeathTest, ErrorEndsWithStatusOneAndTextAtEndOfFile) {
    std::fflush(gLog.file);
    EXPECT_EXIT(gLog.error("Faild to allocate memory"), testing::ExitedWithCode(1),
                "Faild to allocate memory");
    std::string text = readFileText("QuarnWin32.log");
    const std::string expected = "Faild to allocate memory";
    ASSERT_GE(text.size(), expected.size());
    EXPECT_EQ(text.substr(text.size() - expected.size()), expected);
}

// A FIFO named like the log must not hold up the start (the log opens before main):
// the program, started where one is, runs with its file output off.
TEST(LogFile, FifoNamedLikeTheLogDoesNotBlockTheStart) {
    std::string dir = "fifo_log";
    mkdir(dir.c_str(), 0700);
    std::string fifo = dir + "/QuarnWin32.log";
    std::remove(fifo.c_str());
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    pid_t child = fork();
    if (child == 0) {
        if (chdir(dir.c_str()) == 0)
            execl("/proc/self/exe", "core_tests", "--gtest_filter=NoSuchTest", static_cast<char*>(nullptr));
        _exit(99);
    }
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}
