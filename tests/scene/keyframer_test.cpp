// The keyframer: nodes bound by order, tracks and their fields, keys with spline fields.
#include "loader_support.h"

#include <gtest/gtest.h>

using tds::Chunk;

namespace {

tds::MeshDesc triangle(const std::string& name) {
    tds::MeshDesc m;
    m.name = name;
    m.vertices = {{{0, 0, 0}}, {{1, 0, 0}}, {{0, 1, 0}}};
    m.faces = {{{0, 1, 2}}};
    return m;
}

tds::KeyDesc key(uint32_t frame, std::vector<float> values, uint16_t flags = 0,
                 std::vector<float> spline = {}) {
    tds::KeyDesc k;
    k.frame = frame;
    k.flags = flags;
    k.values = std::move(values);
    k.spline = std::move(spline);
    return k;
}

Chunk node(uint16_t id, const std::string& name, std::vector<Chunk> rest) {
    Chunk n(id);
    n.add(tds::nodeHeader(name));
    for (Chunk& c : rest)
        n.add(std::move(c));
    return n;
}

// A file with these editor chunks and a keyframer holding these nodes.
std::vector<uint8_t> fileWith(std::vector<Chunk> editor, std::vector<Chunk> nodes) {
    Chunk kf(0xB000);
    for (Chunk& n : nodes)
        kf.add(std::move(n));
    return editorFile(std::move(editor), {kf}).bytes();
}

Chunk camera(const std::string& name) {
    tds::CameraDesc c;
    c.name = name;
    return tds::cameraObjectChunk(c);
}

} // namespace

TEST_F(LoaderTest, NodesBindByOrderNotByName) {
    // Object nodes name the objects the other way round; camera nodes each with a target.
    std::vector<uint8_t> bytes =
        fileWith({tds::meshObjectChunk(triangle("First")), tds::meshObjectChunk(triangle("Second")),
                  camera("C1"), camera("C2")},
                 {node(0xB002, "Second", {Chunk(0xB013).vec(2, 2, 2)}),
                  node(0xB002, "First", {Chunk(0xB013).vec(1, 1, 1)}),
                  node(0xB003, "C2", {tds::positionTrack({{{1, 0, 0}}, {{2, 0, 0}}, {{3, 0, 0}}})}),
                  node(0xB004, "C2.Target", {tds::positionTrack({{{0, 0, 9}}})}),
                  node(0xB003, "C1", {tds::positionTrack({{{7, 0, 0}}})}),
                  node(0xB004, "C1.Target", {tds::positionTrack({{{0, 0, 8}}, {{0, 0, 7}}})})});
    LoadResult r = loadBytes(bytes);
    ASSERT_EQ(r.fatal, "");
    EXPECT_EQ(r.scene->objects[0]->pivot.x, 2.0f);
    EXPECT_EQ(r.scene->objects[1]->pivot.x, 1.0f);
    EXPECT_NE(
        r.log.find(
            "       - Nodename: Second\n       - Nodeflag: 0\n     - Normal animation!\nmObjIndex: 0\n"),
        std::string::npos);
    const SceneCamera& c0 = *r.scene->cameras[0];
    ASSERT_EQ(c0.positionKeyCount, 3);
    EXPECT_EQ(c0.positionKeys[0].position.x, 1.0f);
    EXPECT_EQ(c0.positionKeys[2].position.x, 3.0f);
    EXPECT_EQ(c0.positionKeys[2].frame, 2);
    ASSERT_EQ(c0.targetKeyCount, 1);
    EXPECT_EQ(c0.targetKeys[0].position.z, 9.0f);
    const SceneCamera& c1 = *r.scene->cameras[1];
    EXPECT_EQ(c1.positionKeyCount, 1);
    ASSERT_EQ(c1.targetKeyCount, 2);
    EXPECT_EQ(c1.targetKeys[1].position.z, 7.0f);
    // Fields a track doesn't fill keep their creation values.
    EXPECT_EQ(c0.positionKeys[0].splineParams[0], 0.7f);
    EXPECT_EQ(c0.positionKeys[0].splineParams[2], 0.8f);
    EXPECT_EQ(c0.positionKeys[0].scale.x, 0.0f);
}

TEST_F(LoaderTest, ZeroKeyTracks) {
    std::vector<uint8_t> bytes = fileWith(
        {tds::meshObjectChunk(triangle("O")), camera("C")},
        {node(0xB002, "O",
              {tds::positionTrack({{{1, 1, 1}}}), tds::positionTrack({}),
               tds::rotationTrack({{1, {{0, 0, 1}}}}), tds::rotationTrack({}), tds::scaleTrack({})}),
         node(0xB003, "C", {tds::positionTrack({})}), node(0xB004, "C.Target", {tds::positionTrack({})})});
    LoadResult r = loadBytes(bytes);
    const MeshObject& o = *r.scene->objects[0];
    EXPECT_EQ(o.positionKeyCount, 1); // an empty position track leaves the object's track
    EXPECT_EQ(o.rotationKeyCount, 0); // rotation and scale record the count, 0 included
    EXPECT_EQ(o.scaleKeyCount, 0);
    EXPECT_EQ(r.scene->cameras[0]->positionKeyCount, 0);
    EXPECT_EQ(r.scene->cameras[0]->targetKeyCount, 0);
    EXPECT_NE(r.log.find(" Camera animation found! 0 \n"), std::string::npos);
}

TEST_F(LoaderTest, RotationAndScaleKeysFillTheirOwnFields) {
    std::vector<uint8_t> bytes =
        fileWith({tds::meshObjectChunk(triangle("O"))},
                 {node(0xB002, "O",
                       {tds::rotationTrack({{0.5f, {{1, 0, 0}}}, {1.5f, {{0, 1, 0}}}}),
                        tds::scaleTrack({{{2, 3, 4}}, {{5, 6, 7}}, {{8, 9, 10}}})})});
    LoadResult r = loadBytes(bytes);
    const MeshObject& o = *r.scene->objects[0];
    ASSERT_EQ(o.rotationKeyCount, 2);
    EXPECT_EQ(o.rotationKeys[1].rotationAngle, 1.5f);
    EXPECT_EQ(o.rotationKeys[1].rotationAxis.y, 1.0f);
    EXPECT_EQ(o.rotationKeys[1].position.x, 0.0f);
    ASSERT_EQ(o.scaleKeyCount, 3);
    EXPECT_EQ(o.scaleKeys[2].scale.z, 10.0f);
    EXPECT_EQ(o.scaleKeys[2].frame, 0); // frames are kept for position keys only
    EXPECT_NE(r.log.find("       key[  2]: Time: 2, flags: 0, (8.000000,9.000000,10.000000)\n"),
              std::string::npos);
}

TEST_F(LoaderTest, SplineFieldsOfKeysAreSkipped) {
    // Flags 0x1F: five spline floats before the values; 0x05: two; 0x20 announces none.
    Chunk pos = tds::trackChunk(0xB020, {key(0, {1, 2, 3}, 0x1F, {9, 9, 9, 9, 9}),
                                         key(5, {4, 5, 6}, 0x05, {8, 8}), key(9, {7, 8, 9}, 0x20)});
    Chunk rot = tds::trackChunk(0xB021, {key(0, {0.25f, 0, 0, 1}, 0x02, {3}), key(1, {0.75f, 1, 0, 0})});
    Chunk roll = tds::trackChunk(0xB024, {key(0, {0.5f}, 0x10, {6}), key(1, {1.5f})});
    std::vector<uint8_t> bytes = fileWith(
        {tds::meshObjectChunk(triangle("O")), camera("C")},
        {node(0xB002, "O", {pos, rot}), node(0xB003, "C", {tds::positionTrack({{{1, 1, 1}}}), roll})});
    LoadResult r = loadBytes(bytes);
    const MeshObject& o = *r.scene->objects[0];
    ASSERT_EQ(o.positionKeyCount, 3);
    EXPECT_EQ(o.positionKeys[0].position.z, 3.0f);
    EXPECT_EQ(o.positionKeys[1].frame, 5);
    EXPECT_EQ(o.positionKeys[1].position.x, 4.0f);
    EXPECT_EQ(o.positionKeys[2].position.y, 8.0f);
    ASSERT_EQ(o.rotationKeyCount, 2);
    EXPECT_EQ(o.rotationKeys[0].rotationAngle, 0.25f);
    EXPECT_EQ(o.rotationKeys[1].rotationAngle, 0.75f);
    EXPECT_EQ(o.rotationKeys[1].rotationAxis.x, 1.0f);
    EXPECT_NE(r.log.find("       key[  0]: Time: 0, flags: 16, Roll:0.500000\n"
                         "       key[  1]: Time: 1, flags: 0, Roll:1.500000\n"),
              std::string::npos);
}

TEST_F(LoaderTest, LightNodesCreateNothingAndOtherChunksAreNamedOnStandardOutput) {
    Chunk kf(0xB000);
    kf.add(Chunk(0xB009)).u32(0);
    kf.add(Chunk(0x0123)); // an empty chunk of an unknown id
    kf.add(node(0xB005, "Omni", {tds::positionTrack({{{1, 2, 3}}}), tds::rotationTrack({{1, {{0, 0, 1}}}})}));
    kf.add(node(0xB007, "Spot", {tds::positionTrack({{{1, 2, 3}}})}));
    kf.add(node(0xB006, "Spot.Target", {tds::positionTrack({{{1, 2, 3}}})}));
    tds::LightDesc l;
    l.name = "Omni";
    LoadResult r = loadBytes(
        editorFile({tds::meshObjectChunk(triangle("O")), camera("C"), tds::lightObjectChunk(l)}, {kf})
            .bytes());
    ASSERT_EQ(r.fatal, "");
    EXPECT_EQ(r.scene->objects[0]->positionKeyCount, 0);
    EXPECT_EQ(r.scene->objects[0]->rotationKeyCount, 0);
    EXPECT_EQ(r.scene->cameras[0]->positionKeyCount, 0);
    EXPECT_EQ(r.log.find("key["), std::string::npos); // the light's keys are not read
    EXPECT_NE(
        r.out.find("[#] Reading KeyFramer data!\nUnsupported chunk 'B009'..\nUnsupported chunk ' 123'..\n"),
        std::string::npos);
    EXPECT_NE(r.log.find(" [#] Light animation \n    [#] NodeHeader..\n       - Nodename: Omni\n"),
              std::string::npos);
}

TEST_F(LoaderTest, NodesWithoutARecordAreIgnored) {
    // Two object nodes for one object, a camera node without cameras, a target node
    // before any camera node, and a pivot before its node's header.
    Chunk early(0xB002);
    early.add(Chunk(0xB013)).vec(5, 5, 5);
    early.add(tds::nodeHeader("O"));
    early.add(tds::positionTrack({{{1, 0, 0}}}));
    std::vector<uint8_t> bytes =
        fileWith({tds::meshObjectChunk(triangle("O"))},
                 {node(0xB004, "T", {tds::positionTrack({{{1, 1, 1}}})}), std::move(early),
                  node(0xB002, "Extra",
                       {Chunk(0xB013).vec(9, 9, 9), tds::positionTrack({{{2, 0, 0}}}),
                        tds::rotationTrack({{1, {{0, 0, 1}}}}), tds::scaleTrack({{{1, 1, 1}}})}),
                  node(0xB003, "NoCamera", {tds::positionTrack({{{3, 0, 0}}})})});
    LoadResult r = loadBytes(bytes);
    ASSERT_EQ(r.fatal, "");
    const MeshObject& o = *r.scene->objects[0];
    EXPECT_EQ(o.pivot.x, 0.0f);
    ASSERT_EQ(o.positionKeyCount, 1);
    EXPECT_EQ(o.positionKeys[0].position.x, 1.0f);
    EXPECT_EQ(o.rotationKeyCount, 0);
    EXPECT_NE(r.log.find("mObjIndex: 1\n"), std::string::npos);
    EXPECT_NE(r.log.find("mCamIndex: 0\n"), std::string::npos);
    // The ignored keys are still logged as read.
    EXPECT_NE(r.log.find("(3.000000,0.000000,0.000000)"), std::string::npos);
}

TEST_F(LoaderTest, KeyframerNamesAreCutToTheirFields) {
    Chunk kf(0xB000);
    kf.add(Chunk(0xB00A)).u16(1).bytes(std::vector<uint8_t>(10, 'x')).u32(7);
    Chunk n(0xB002);
    n.add(Chunk(0xB010)).bytes(std::vector<uint8_t>(20, 'n')).u16(3).u16(0);
    kf.add(std::move(n));
    LoadResult r = loadBytes(editorFile({tds::meshObjectChunk(triangle("O"))}, {kf}).bytes());
    EXPECT_NE(r.log.find("    - Version: 1, Length: 7, Dummy: xxxxxxxxxx\n"), std::string::npos);
    EXPECT_NE(r.log.find("       - Nodename: " + std::string(20, 'n') + "\n       - Nodeflag: 3\n"),
              std::string::npos);
}

TEST_F(LoaderTest, EachNodeKindLogsTheSameTrackLinesBoundOrNot) {
    // One key in every track. A node that names no record logs what a bound one logs
    // and stores nothing; the nodes before it decide whether it is bound.
    const std::string pos = "    [#] Position keys found, reading: 0,0,1 keys\n";
    const std::string posKey = "       key[  0]: Time: 0, flags: (1.000000,2.000000,3.000000)\n";
    const std::string rot = " Rotation keys found 0 0 1, keys\n";
    const std::string scale = "    [#] Scaling keys found, reading: 0,0,1 keys\n";
    const std::string scaleKey = "       key[  0]: Time: 0, flags: 0, (4.000000,5.000000,6.000000)\n";
    const std::string roll = "    [#] Roll keys found, reading: 0,0,1 keys\n"
                             "       key[  0]: Time: 0, flags: 0, Roll:0.500000\n";
    struct Case {
        uint16_t kind;
        std::vector<uint16_t> boundBefore, unboundBefore;
        std::string lines;
        int stored;
    };
    const Case cases[] = {
        {0xB002, {}, {0xB002}, pos + posKey + rot + scale + scaleKey + roll, 3},
        {0xB003, {}, {0xB003}, pos + " Camera animation found! 1 \n" + posKey + rot + scale + roll, 1},
        {0xB004, {0xB003}, {0xB003, 0xB003}, pos + posKey + rot + scale + roll, 1},
        {0xB005, {}, {}, pos + rot + scale + roll, 0},
    };
    for (const Case& c : cases) {
        for (bool bound : {true, false}) {
            std::vector<Chunk> nodes;
            for (uint16_t before : bound ? c.boundBefore : c.unboundBefore)
                nodes.push_back(node(before, "Before", {}));
            nodes.push_back(
                node(c.kind, "N",
                     {tds::positionTrack({{{1, 2, 3}}}), tds::rotationTrack({{1, {{0, 0, 1}}}}),
                      tds::scaleTrack({{{4, 5, 6}}}), tds::trackChunk(0xB024, {key(0, {0.5f})})}));
            LoadResult r = loadBytes(fileWith({tds::meshObjectChunk(triangle("O")), camera("C")}, nodes));
            std::string lines;
            for (const std::string& line : linesOf(r.log))
                if (line.find("keys found") != std::string::npos || line.find("key[") != std::string::npos ||
                    line.find("Camera animation found") != std::string::npos)
                    lines += line;
            const MeshObject& o = *r.scene->objects[0];
            const SceneCamera& cam = *r.scene->cameras[0];
            int stored = o.positionKeyCount + o.rotationKeyCount + o.scaleKeyCount + cam.positionKeyCount +
                         cam.targetKeyCount;
            EXPECT_EQ(lines, c.lines) << std::hex << c.kind << (bound ? " bound" : " unbound");
            EXPECT_EQ(stored, bound ? c.stored : 0) << std::hex << c.kind << (bound ? " bound" : " unbound");
        }
    }
}
