// The demo driver on small scene files made with the 3DS writer: the order of its
// start-up in the log, the passes it presents, and its refusals.
#include "app/demo_driver.h"
#include "app/gl_window.h"
#include "app/timeline.h"
#include "demo_scenes.h"
#include "scene/scene.h"
#include "support/gl_fixture.h"
#include "support/test_support.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

// A host on the fixture's offscreen context that records what the driver asks of it.
class RecordingHost : public DemoHost {
  public:
    std::vector<std::string> events;
    std::vector<PassInfo> presented;
    std::string scene3Name;
    ScriptLength length;
    int32_t stopAfter = -1; // stop when this many passes were presented

    // The music player needs the render window to exist: the fixture's offscreen
    // context stands in for it.
    void open() override {
        events.push_back("open");
        gWindow.window = &gWindow;
    }
    void enterFullScreenIfChosen() override { events.push_back("full screen"); }
    bool hasMusic() const override { return true; }
    bool soundOff() const override { return true; }
    void started(const Timeline& timeline) override {
        events.push_back("started");
        scene3Name = timeline.scene3->name;
        length = timeline.length();
    }
    bool stopRequested() override {
        return stopAfter >= 0 && static_cast<int32_t>(presented.size()) >= stopAfter;
    }
    void present(const PassInfo& info) override { presented.push_back(info); }
    void close() override {
        events.push_back("close");
        gWindow.window = nullptr;
    }
};

class Driver : public GLTest {
  protected:
    void SetUp() override {
        GLTest::SetUp();
        gWindow.window = nullptr; // a run that ended on an error left its stand-in
        for (int i = 1; i <= 6; ++i)
            std::remove(("scene" + std::to_string(i) + ".3ds").c_str());
    }
};

// Position of `needle` in `text` at or after `from`; fails the test when absent.
size_t after(const std::string& text, const std::string& needle, size_t from) {
    size_t at = text.find(needle, from);
    EXPECT_NE(at, std::string::npos) << "\"" << needle << "\" after " << from;
    return at == std::string::npos ? from : at;
}

TEST_F(Driver, StartsUpInOrderPlaysTheScriptAndShutsDown) {
    ASSERT_TRUE(writeDemoScenes("."));
    RecordingHost host;
    LogMark mark;
    EXPECT_EQ(runDemo(host), 0);
    std::string log = mark.text();

    // Loading 1 to 3, scene 3's report with its default name, loading 4 to 6, then the
    // reports of 1, 2, 4, 5 and 6 with their names.
    size_t at = after(log, " Done reading scene1.3ds !! \n", 0);
    at = after(log, " Done reading scene2.3ds !! \n", at);
    at = after(log, " Done reading scene3.3ds !! \n", at);
    at = after(log, "\tScene Information\t\n", at);
    at = after(log, "Scene Name: NONAME\nNumber of objects: 4\n", at);
    at = after(log, " Done reading scene4.3ds !! \n", at);
    at = after(log, " Done reading scene5.3ds !! \n", at);
    at = after(log, " Done reading scene6.3ds !! \n", at);
    at = after(log, "Scene Name:  --- Intro part ---\nNumber of objects: 1\n", at);
    at = after(log, "Scene Name:  --- party of cubes ---\nNumber of objects: 2\n", at);
    at = after(log, "Scene Name: NONAME\nNumber of objects: 1\n", at);
    at = after(log, "Scene Name: NONAME\nNumber of objects: 4\n", at);
    at = after(log, "Scene Name: NONAME\nNumber of objects: 13\n", at);
    at = after(log, "POS::: ", at);
    EXPECT_EQ(log.find("Scene Name:  --- Sl"), std::string::npos)
        << "scene 3 is reported once, before its name";
    EXPECT_EQ(log.find("Done reading", at), std::string::npos);
    EXPECT_EQ(host.scene3Name, " --- Sl\xE4mig ---");

    EXPECT_EQ(host.events, (std::vector<std::string>{"open", "full screen", "started", "close"}));
    // Every pass but the last is presented, numbered from 0, parts in script order.
    ASSERT_EQ(static_cast<int32_t>(host.presented.size()), host.length.presentedTotal);
    int32_t byPart[7] = {0, 0, 0, 0, 0, 0, 0};
    for (size_t i = 0; i < host.presented.size(); ++i) {
        const PassInfo& info = host.presented[i];
        EXPECT_EQ(info.pass, static_cast<int32_t>(i));
        EXPECT_EQ(info.presentedTotal, host.length.presentedTotal);
        if (i > 0) {
            EXPECT_GE(info.part, host.presented[i - 1].part);
        }
        byPart[info.part] += 1;
    }
    // Keys 6, 4, 4, 4, 1: part 1 shows keys 0 and 2, the parts numbered 2, 3 and 5 three keys each.
    EXPECT_EQ(byPart[1], 2);
    EXPECT_EQ(byPart[2], 3);
    EXPECT_EQ(byPart[3], 3);
    EXPECT_EQ(byPart[5], 3);
    EXPECT_EQ(byPart[6], FINALE_PASSES - 1);
}

TEST_F(Driver, EscapeBeforeTheFirstPassShutsDownAtOnce) {
    ASSERT_TRUE(writeDemoScenes("."));
    RecordingHost host;
    host.stopAfter = 0;
    LogMark mark;
    EXPECT_EQ(runDemo(host), 0);
    EXPECT_TRUE(host.presented.empty());
    EXPECT_EQ(host.events.back(), "close");
    EXPECT_EQ(mark.text().find("POS:::"), std::string::npos);
}

TEST_F(Driver, ASceneThatCantBeShownEndsTheStartUpWithItsFileNamed) {
    DemoSceneSet set;
    set.objects[4] = 3; // scene 5 needs 4
    ASSERT_TRUE(writeDemoScenes(".", set));
    RecordingHost host;
    LogMark mark;
    EXPECT_EQ(fatalTextOf([&] { runDemo(host); }),
              "Scene file scene5.3ds can't be shown: it has 3 objects, the demo needs at least 4");
    EXPECT_TRUE(host.presented.empty());
    EXPECT_EQ(host.events, (std::vector<std::string>{"open"}));
    // The check comes after all reports.
    EXPECT_NE(mark.text().find("Number of objects: 13\n"), std::string::npos);

    set = DemoSceneSet();
    set.keys[1] = 0; // scene 2's camera without position keys
    ASSERT_TRUE(writeDemoScenes(".", set));
    EXPECT_EQ(fatalTextOf([&] { runDemo(host); }),
              "Scene file scene2.3ds can't be shown: its camera 0 has no position keys");
}

TEST_F(Driver, AMissingSceneFourEndsTheStartUpAlthoughItIsNeverShown) {
    ASSERT_TRUE(writeDemoScenes("."));
    std::remove("scene4.3ds");
    RecordingHost host;
    LogMark mark;
    std::string fatal = fatalTextOf([&] { runDemo(host); });
    EXPECT_EQ(fatal.rfind("Ops! Could't found", 0), 0u) << fatal;
    std::string log = mark.text();
    EXPECT_NE(log.find("Scene Name: NONAME\nNumber of objects: 4\n"), std::string::npos); // scene 3's report
    EXPECT_TRUE(host.presented.empty());
}

} // namespace
