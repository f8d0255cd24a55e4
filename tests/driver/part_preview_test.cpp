// The part preview on the offscreen path: one part from a scene file of its own,
// looped, picking up a new version of the file while it plays.
#include "app/capture.h"
#include "scene_writer.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace {

std::vector<unsigned char> sceneWithKeys(size_t keys) {
    tds::SceneDesc s;
    for (int i = 0; i < 2; ++i) {
        tds::MeshDesc mesh;
        mesh.name = "Obj" + std::to_string(i);
        mesh.vertices = {{{0, 0, 0}}, {{1, 0, 0}}, {{0, 1, 0}}};
        mesh.faces = {{{0, 1, 2}}};
        s.meshes.push_back(mesh);
    }
    tds::CameraDesc camera;
    camera.name = "Cam";
    camera.positionKeys.assign(keys, {{0, -10, 2}});
    s.cameras.push_back(camera);
    std::vector<uint8_t> bytes = tds::sceneBytes(s);
    return std::vector<unsigned char>(bytes.begin(), bytes.end());
}

TEST(PartPreview, LoopsThePartAndReloadsTheChangedFile) {
    ASSERT_TRUE(writeFileBytes("mine.3ds", sceneWithKeys(30)));
    OffscreenRun run;
    run.width = run.height = 32;
    run.lastPass = 99;
    run.choice.part = 2;
    run.choice.sceneFile = "mine.3ds";
    run.choice.loop = true;
    std::vector<int32_t> totals;
    run.sink = [&](const PresentedFrame& frame) {
        totals.push_back(frame.info.presentedTotal);
        if (frame.info.pass == 5)
            writeFileBytes("mine.3ds", sceneWithKeys(60));
    };
    LogMark mark;
    ASSERT_EQ(runOffscreen(run), 0);
    ASSERT_EQ(totals.size(), 100u); // looped past the 29 passes of the first version
    EXPECT_EQ(totals.front(), 29);
    EXPECT_EQ(totals.back(), 59);
    EXPECT_NE(mark.text().find("Reloaded mine.3ds\n"), std::string::npos);
}

TEST(PartPreview, AFileThatDoesNotLoadKeepsTheSceneShownAndSaysWhy) {
    ASSERT_TRUE(writeFileBytes("flaky.3ds", sceneWithKeys(30)));
    OffscreenRun run;
    run.width = run.height = 32;
    run.lastPass = 149;
    run.choice.part = 2;
    run.choice.sceneFile = "flaky.3ds";
    run.choice.loop = true;
    std::vector<int32_t> totals;
    run.sink = [&](const PresentedFrame& frame) {
        totals.push_back(frame.info.presentedTotal);
        if (frame.info.pass == 5)
            writeFileBytes("flaky.3ds", {'n', 'o', 't', ' ', 'a', ' ', 's', 'c', 'e', 'n', 'e'});
        if (frame.info.pass == 80)
            writeFileBytes("flaky.3ds", sceneWithKeys(60));
    };
    ::testing::internal::CaptureStderr();
    ASSERT_EQ(runOffscreen(run), 0);
    std::string said = ::testing::internal::GetCapturedStderr();
    ASSERT_EQ(totals.size(), 150u);
    EXPECT_EQ(totals[79], 29); // the garbage was read (at pass 50) and the first version kept
    EXPECT_EQ(totals.back(), 59);
    EXPECT_NE(said.find("Scene file \"flaky.3ds\", offset 0:"), std::string::npos) << said;
    EXPECT_NE(said.find("quarn: flaky.3ds can't be shown: Corrupt 3ds!; the previous version stays\n"),
              std::string::npos)
        << said;
}

} // namespace
