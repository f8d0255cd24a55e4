// The demo timeline on a real offscreen GL context, with scenes made in code: the
// passes of each part, the light, the projection, the fog, part 6's objects and the
// end of the script.
#include "app/demo_light.h"
#include "app/timeline.h"
#include "render/gl.h"
#include "support/gl_fixture.h"
#include "support/test_support.h"
#include "test_meshes.h"

#include <array>
#include <cmath>
#include <map>
#include <memory>
#include <vector>

namespace {

constexpr int32_t PARTS[5] = {1, 2, 3, 5, 6};

// The five shown scenes with the fewest objects the script allows, camera 0 of each
// with the given number of position keys, and the timeline over them.
struct Script {
    std::unique_ptr<Scene> scenes[7]; // by part number
    DemoLight light;
    Timeline timeline;

    explicit Script(std::array<int32_t, 4> keys, float fov = 30.0f) {
        const int32_t keyCounts[7] = {0, keys[0], keys[1], keys[2], 0, keys[3], 1};
        for (int32_t part : PARTS)
            scenes[part] = makeScene(requiredObjectCount(part), keyCounts[part], fov);
        timeline = Timeline(scenes[1].get(), scenes[2].get(), scenes[3].get(), scenes[5].get(),
                            scenes[6].get(), &light);
        timeline.setUp();
    }
    // The key of camera 0 that the scene's view was last aimed from (key i stands at y = -100 - i).
    int32_t lastKeyShown(int32_t part) const {
        return static_cast<int32_t>(std::lround(-100.0f - scenes[part]->view.eye.y));
    }
};

float projectionElement(int i) {
    float m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    return m[i];
}

Vector3 ambientFor(double a, double blue) {
    return Vector3(static_cast<float>(0.2 * std::cos(a)), static_cast<float>(0.2 * std::cos(a)),
                   static_cast<float>(blue * std::sin(a)));
}

void expectColour(const Vector3& actual, const Vector3& expected, const std::string& where) {
    EXPECT_EQ(actual.x, expected.x) << where;
    EXPECT_EQ(actual.y, expected.y) << where;
    EXPECT_EQ(actual.z, expected.z) << where;
}

struct PassCountCase {
    std::array<int32_t, 4> keys;            // of the scenes of the parts numbered 1, 2, 3, 5
    std::array<int32_t, 4> presentedFrames; // frames of the parts numbered 1, 2, 3, 5 that reach the screen
};

class TimelinePasses : public GLTest, public ::testing::WithParamInterface<PassCountCase> {};

TEST_P(TimelinePasses, EachPartPresentsItsKeysOnePerPassAndTheScriptEnds) {
    const PassCountCase& c = GetParam();
    Script script(c.keys);
    // What each presented pass shows: the part and the key of its camera.
    std::map<int32_t, std::vector<int32_t>> shown;
    int32_t passes = 0;
    bool ended = false;
    while (!ended && passes < 100000) {
        ended = script.timeline.step();
        ++passes;
        if (!ended)
            shown[script.timeline.part].push_back(script.lastKeyShown(script.timeline.part));
    }
    ASSERT_TRUE(ended);
    EXPECT_EQ(script.timeline.slideObject, 14);

    const int32_t flightParts[4] = {1, 2, 3, 5};
    for (int i = 0; i < 4; ++i) {
        int32_t part = flightParts[i];
        const std::vector<int32_t>& keys = shown[part];
        ASSERT_EQ(static_cast<int32_t>(keys.size()), c.presentedFrames[i]) << "part " << part;
        int32_t stride = part == 1 ? 2 : 1;
        for (size_t k = 0; k < keys.size(); ++k)
            EXPECT_EQ(keys[k], static_cast<int32_t>(k) * stride) << "part " << part << " pass " << k;
        // The part's last key is drawn too, in the pass that switches, and covered.
        int32_t n = c.keys[i];
        int32_t lastKey = part == 1 ? (n - 1) / 2 * 2 : n - 1;
        EXPECT_EQ(script.lastKeyShown(part), lastKey) << "part " << part;
    }
    // Part 6 holds the camera at key 0 for 12 x 142 steps; its last one is not presented.
    EXPECT_EQ(shown[6].size(), 1703u);
    EXPECT_EQ(script.lastKeyShown(6), 0);

    int32_t presentedTotal =
        c.presentedFrames[0] + c.presentedFrames[1] + c.presentedFrames[2] + c.presentedFrames[3] + 1703;
    EXPECT_EQ(passes, presentedTotal + 1);
    // The length the driver and the capture mode announce agrees with the run.
    Script fresh(c.keys);
    ScriptLength length = fresh.timeline.length();
    EXPECT_EQ(length.presentedTotal, presentedTotal);
    EXPECT_EQ(length.passes, passes);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(length.presented[flightParts[i]], c.presentedFrames[i]);
    EXPECT_EQ(length.presented[6], 1703);
}

INSTANTIATE_TEST_SUITE_P(KeyCounts, TimelinePasses,
                         ::testing::Values(
                             // One or two keys: a part never reaches the screen.
                             PassCountCase{{1, 1, 1, 1}, {0, 0, 0, 0}},
                             PassCountCase{{2, 2, 2, 2}, {0, 1, 1, 1}},
                             // Part 1 takes every second key: 3 keys give keys 0 and 2, one presented.
                             PassCountCase{{3, 3, 3, 3}, {1, 2, 2, 2}},
                             PassCountCase{{8, 1, 5, 2}, {3, 0, 4, 1}},
                             PassCountCase{{9, 6, 2, 40}, {4, 5, 1, 39}}));

class TimelineTest : public GLTest {};

TEST_F(TimelineTest, SetUpWritesTheLightTheCountersAndTheRenderModes) {
    Script script({3, 3, 3, 3});
    Timeline& t = script.timeline;
    EXPECT_EQ(t.part, 1);
    EXPECT_EQ(t.frame, 0);
    EXPECT_EQ(t.fovOffset, 0.0f);
    EXPECT_EQ(t.slideDistance, 0);
    EXPECT_EQ(t.slideObject, 2);
    expectColour(script.light.ambient, Vector3(0, 0, 0.1f), "ambient");
    expectColour(script.light.diffuse, Vector3(0, 0, 0.1f), "diffuse");
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));

    auto modes = [&](int32_t part) {
        std::vector<int32_t> result;
        for (int32_t i = 0; i < script.scenes[part]->objectCount; ++i)
            result.push_back(script.scenes[part]->objects[i]->renderMode);
        return result;
    };
    EXPECT_EQ(modes(1), (std::vector<int32_t>{33}));
    EXPECT_EQ(modes(2), (std::vector<int32_t>{4, 280})); // object 0 keeps the loader's mode
    EXPECT_EQ(modes(3), (std::vector<int32_t>{33, 784, 33, 33}));
    EXPECT_EQ(modes(5), (std::vector<int32_t>{24, 33, 33, 33}));
    EXPECT_EQ(modes(6), (std::vector<int32_t>{56, 56, 64, 64, 64, 64, 64, 64, 64, 64, 64, 64, 64}));
}

TEST_F(TimelineTest, LightColoursFollowTheFrameBeforeOrAfterTheAdvance) {
    Script script({5, 2, 3, 3});
    Timeline& t = script.timeline;
    DemoLight& light = script.light;

    // Part 1, frame after the advance: 2, then 4.
    t.step();
    expectColour(light.ambient, ambientFor(0.02, 0.3), "part 1, frame 2");
    t.step();
    expectColour(light.ambient, ambientFor(0.04, 0.3), "part 1, frame 4");
    // Frame 6 ends part 1 (set before the switch); part 2's first step leaves the light.
    t.step();
    ASSERT_EQ(t.part, 2);
    expectColour(light.ambient, ambientFor(0.06, 0.3), "part 2");
    // Part 2 ends in its second step, and part 3 sets the light from its frame 0,
    // before the advance.
    t.step();
    ASSERT_EQ(t.part, 3);
    expectColour(light.ambient, Vector3(0.2f, 0.2f, 0.0f), "part 3, frame 0");
    t.step();
    expectColour(light.ambient, ambientFor(0.01, 0.1), "part 3, frame 1");
    // Part 3's last key; part 5's first step sets the light after its advance, frame 1.
    t.step();
    ASSERT_EQ(t.part, 5);
    expectColour(light.ambient, ambientFor(0.01, 0.1), "part 5, frame 1");
    t.step();
    expectColour(light.ambient, ambientFor(0.02, 0.1), "part 5, frame 2");
    // The switch to part 6 sets frame 0: (0.2, 0.2, 0); part 6 leaves it.
    t.step();
    ASSERT_EQ(t.part, 6);
    expectColour(light.ambient, Vector3(0.2f, 0.2f, 0.0f), "part 6");
    t.step();
    expectColour(light.ambient, Vector3(0.2f, 0.2f, 0.0f), "part 6, second pass");

    // GL has the same colours; the position went through the view of the pass.
    float ambient[4];
    float diffuse[4];
    glGetLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glGetLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    EXPECT_EQ(ambient[0], 0.2f);
    EXPECT_EQ(ambient[3], 1.0f);
    EXPECT_EQ(diffuse[2], 0.1f);
    EXPECT_EQ(diffuse[3], 1.0f);
}

TEST_F(TimelineTest, TheLightPositionIsTakenThroughTheViewOfThePass) {
    Script script({5, 2, 2, 2});
    script.timeline.step();
    float view[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, view);
    const float world[4] = {500, 400, 500, 1};
    float position[4];
    glGetLightfv(GL_LIGHT0, GL_POSITION, position);
    for (int r = 0; r < 4; ++r) {
        float expected = 0;
        for (int c = 0; c < 4; ++c)
            expected += view[4 * c + r] * world[c];
        EXPECT_NEAR(position[r], expected, 1e-3f) << r;
    }
}

TEST_F(TimelineTest, EachPartWidensTheFieldOfViewByItsOffset) {
    Script script({1, 2, 2, 2}, 30.0f);
    // Part 1's single key switches at once: the first pass shows part 2.
    const struct {
        int32_t part;
        double fov;
    } expected[] = {{2, 70}, {3, 170}, {5, 110}, {6, 67}};
    for (const auto& e : expected) {
        script.timeline.step();
        ASSERT_EQ(script.timeline.part, e.part);
        float cotangent = static_cast<float>(1.0 / std::tan(e.fov * M_PI / 360.0));
        EXPECT_NEAR(projectionElement(5), cotangent, 1e-4f * cotangent) << "part " << e.part;
        EXPECT_NEAR(projectionElement(0), cotangent, 1e-4f * cotangent) << "aspect 1, part " << e.part;
    }
    // Near 0.1 and far 10000 in the depth row.
    EXPECT_NEAR(projectionElement(10), -(10000.0f + 0.1f) / (10000.0f - 0.1f), 1e-6f);
}

TEST_F(TimelineTest, FogIsSwitchedOnForPartSixAndTheAdditivePassTurnsItOffAgain) {
    Script script({1, 1, 1, 2});
    EXPECT_FALSE(glIsEnabled(GL_FOG));
    script.timeline.step(); // the first three parts switch at once; part 5 shows its key 0
    ASSERT_EQ(script.timeline.part, 5);
    EXPECT_FALSE(glIsEnabled(GL_FOG));
    script.timeline.step(); // part 5 ends: fog on, then part 6's first pass
    ASSERT_EQ(script.timeline.part, 6);
    float colour[4];
    glGetFloatv(GL_FOG_COLOR, colour);
    EXPECT_EQ(colour[0], 0.3f);
    EXPECT_EQ(colour[1], 0.0f);
    EXPECT_EQ(colour[3], 0.0f);
    float value = 0;
    glGetFloatv(GL_FOG_DENSITY, &value);
    EXPECT_EQ(value, 0.01f);
    glGetFloatv(GL_FOG_START, &value);
    EXPECT_EQ(value, 733.0f);
    glGetFloatv(GL_FOG_END, &value);
    EXPECT_EQ(value, 0.0f);
    GLint hint = 0;
    glGetIntegerv(GL_FOG_HINT, &hint);
    EXPECT_EQ(hint, GL_NICEST);
    GLint mode = 0;
    glGetIntegerv(GL_FOG_MODE, &mode);
    EXPECT_EQ(mode, GL_EXP); // never set
    // The sliding object's additive pass ends with fog off...
    EXPECT_FALSE(glIsEnabled(GL_FOG));
    // ...and with no sliding object left (slideObject 13) it stays on.
    while (script.timeline.slideObject < 13)
        script.timeline.step();
    script.timeline.step();
    EXPECT_TRUE(glIsEnabled(GL_FOG));
}

TEST_F(TimelineTest, PartSixTurnsObjectZeroAndSlidesObjectsTwoToTwelve) {
    Script script({1, 1, 1, 1});
    Scene& scene6 = *script.scenes[6];
    scene6.cameras[0]->positionKeys[0].position.z = 12.5f;
    LogMark mark;
    script.timeline.step();
    ASSERT_EQ(script.timeline.part, 6);
    script.timeline.step();
    script.timeline.step();
    // One record per pass, without a line end, with the z of key 0.
    EXPECT_EQ(mark.text(), "POS::: 12.500000POS::: 12.500000POS::: 12.500000");

    // Object 2 has moved up by 6 units per pass.
    const float* slide = scene6.objects[2]->matrix.m;
    EXPECT_EQ(slide[14], 18.0f);
    EXPECT_EQ(slide[12], 0.0f);
    EXPECT_EQ(slide[0], 1.0f);
    int32_t steps = 3;
    bool ended = false;
    while (script.timeline.slideObject == 2) {
        ended = script.timeline.step();
        ++steps;
    }
    EXPECT_EQ(steps, 142);
    EXPECT_EQ(slide[14], 852.0f); // the last place of object 2; it is hidden from now on
    EXPECT_EQ(script.timeline.slideDistance, 0);
    script.timeline.step();
    ++steps;
    EXPECT_EQ(scene6.objects[3]->matrix.m[14], 6.0f);

    // Object 0 turns by 1 degree per pass about z, accumulated in its matrix.
    const float* turn = scene6.objects[0]->matrix.m;
    double angle = steps * M_PI / 180.0;
    EXPECT_NEAR(turn[0], std::cos(angle), 1e-4);
    EXPECT_NEAR(turn[1], std::sin(angle), 1e-4);
    EXPECT_NEAR(turn[4], -std::sin(angle), 1e-4);
    EXPECT_EQ(turn[10], 1.0f);
    EXPECT_EQ(turn[14], 0.0f);
    EXPECT_EQ(scene6.objects[1]->matrix.m[0], 1.0f); // object 1 does not turn

    while (!ended) {
        ended = script.timeline.step();
        ++steps;
    }
    EXPECT_EQ(steps, 1704);
    EXPECT_EQ(script.timeline.slideObject, 14);
    EXPECT_EQ(scene6.objects[12]->matrix.m[14], 852.0f);
}

class ScriptRequirements : public GLTest {}; // scenes need a GL context

TEST_F(ScriptRequirements, NameWhatAShownSceneLacks) {
    std::string lack;
    Scene noCamera;
    noCamera.addObject(makeQuad(0, 0, 1, 1));
    EXPECT_FALSE(meetsScriptRequirements(noCamera, 1, lack));
    EXPECT_EQ(lack, "it has no camera");

    std::unique_ptr<Scene> noKeys = makeScene(1, 0);
    EXPECT_FALSE(meetsScriptRequirements(*noKeys, 1, lack));
    EXPECT_EQ(lack, "its camera 0 has no position keys");

    const int32_t needed[7] = {0, 1, 2, 4, 0, 4, 13};
    for (int32_t part : PARTS) {
        std::unique_ptr<Scene> few = makeScene(needed[part] - 1, 1);
        EXPECT_FALSE(meetsScriptRequirements(*few, part, lack)) << part;
        EXPECT_EQ(lack, "it has " + std::to_string(needed[part] - 1) + " objects, the demo needs at least " +
                            std::to_string(needed[part]));
        std::unique_ptr<Scene> enough = makeScene(needed[part], 1);
        EXPECT_TRUE(meetsScriptRequirements(*enough, part, lack)) << part;
    }

    // Scene 6's sliding objects need texture coordinates; objects 0, 1 and 13 do not.
    std::unique_ptr<Scene> scene6 = makeScene(14, 1);
    for (int32_t i : {0, 1, 13}) {
        scene6->objects[i]->texCoords.reset();
        scene6->objects[i]->texCoordCount = 0;
        scene6->objects[i]->hasTexCoords = false;
    }
    EXPECT_TRUE(meetsScriptRequirements(*scene6, 6, lack));
    scene6->objects[12]->texCoords.reset();
    scene6->objects[12]->texCoordCount = 0;
    EXPECT_FALSE(meetsScriptRequirements(*scene6, 6, lack));
    EXPECT_EQ(lack, "its object 12 has no texture coordinates (objects 2 to 12 are drawn textured)");
    // Other parts don't ask for them.
    EXPECT_TRUE(meetsScriptRequirements(*scene6, 5, lack));
}

} // namespace
