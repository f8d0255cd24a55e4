// The scene inspector, run as a program on writer-made files and on the shared samples.
#include "scene_summary.h"
#include "support/test_support.h"

#include "chunk_writer.h"
#include "scene_writer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <vector>

namespace {

struct InspectRun {
    int exitCode = -1;
    std::string out;
    std::string err;
    std::string log;
};

// Runs quarn-inspect with args in a directory of its own (it writes its log there).
InspectRun inspect(const std::string& args, const std::string& dir = "inspect.run") {
    mkdir(dir.c_str(), 0755);
    std::string exe = binaryDir() + "/app/quarn-inspect";
    std::string command = "cd '" + dir + "' && '" + exe + "' " + args + " > out.txt 2> err.txt";
    int status = std::system(command.c_str());
    InspectRun r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = readFileText(dir + "/out.txt");
    r.err = readFileText(dir + "/err.txt");
    r.log = readFileText(dir + "/QuarnWin32.log");
    return r;
}

std::string absolute(const std::string& file) {
    char buffer[4096];
    return realpath(file.c_str(), buffer) ? buffer : file;
}

// A small JSON checker: true when text is one JSON value (and nothing else but blanks).
class JsonChecker {
  public:
    explicit JsonChecker(const std::string& text) : s_(text) {}
    bool valid() {
        skip();
        if (!value())
            return false;
        skip();
        return i_ == s_.size();
    }

  private:
    const std::string& s_;
    size_t i_ = 0;
    void skip() {
        while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\n'))
            ++i_;
    }
    bool literal(const char* word) {
        size_t n = std::strlen(word);
        if (s_.compare(i_, n, word) != 0)
            return false;
        i_ += n;
        return true;
    }
    bool string() {
        if (s_[i_] != '"')
            return false;
        for (++i_; i_ < s_.size(); ++i_) {
            unsigned char c = static_cast<unsigned char>(s_[i_]);
            if (c == '"') {
                ++i_;
                return true;
            }
            if (c < 0x20 || c >= 0x80)
                return false;
            if (c == '\\')
                ++i_;
        }
        return false;
    }
    bool number() {
        size_t start = i_;
        while (i_ < s_.size() && std::strchr("+-0123456789.eE", s_[i_]))
            ++i_;
        if (i_ == start)
            return false;
        char* end = nullptr;
        std::string token = s_.substr(start, i_ - start);
        std::strtod(token.c_str(), &end);
        return *end == '\0' && token.find_first_of("0123456789") != std::string::npos;
    }
    bool value() {
        skip();
        if (i_ >= s_.size())
            return false;
        char c = s_[i_];
        if (c == '{' || c == '[') {
            char close = c == '{' ? '}' : ']';
            ++i_;
            skip();
            if (s_[i_] == close) {
                ++i_;
                return true;
            }
            for (;;) {
                skip();
                if (c == '{') {
                    if (!string())
                        return false;
                    skip();
                    if (s_[i_++] != ':')
                        return false;
                }
                if (!value())
                    return false;
                skip();
                if (s_[i_] == ',') {
                    ++i_;
                    continue;
                }
                if (s_[i_] == close) {
                    ++i_;
                    return true;
                }
                return false;
            }
        }
        if (c == '"')
            return string();
        if (literal("true") || literal("false") || literal("null"))
            return true;
        return number();
    }
};

tds::SceneDesc sampleScene() {
    tds::SceneDesc d;
    tds::MaterialDesc m;
    m.name = "Stone\x01\xE9";
    m.mapFile = "Stone.TGA";
    m.ambient = {{200, 100, 0}};
    d.materials = {m};
    tds::MeshDesc a;
    a.name = "Rock \"big\"";
    a.vertices = {{{0, 0, 0}}, {{1, 0, 0}}, {{0, 1, 0}}, {{9, 9, 9}}};
    a.faces = {{{0, 1, 2}}};
    a.texCoords = {{{0, 0}}, {{1, 0}}, {{0, 1}}, {{1, 1}}};
    a.material = m.name;
    a.pivot = {{1, 2, 3}};
    a.positionKeys = {{{0.1f, 0, 0}}};
    a.rotationKeys = {{0.5f, {{0, 0, 1}}}};
    a.scaleKeys = {{{1, 1, 1}}, {{2, 2, 2}}};
    tds::MeshDesc b;
    b.name = "Plain";
    b.vertices = {{{0, 0, 0}}, {{0, 0, 1}}, {{0, 1, 0}}};
    b.faces = {{{0, 1, 2}}};
    d.meshes = {a, b};
    tds::CameraDesc c;
    c.name = "Cam";
    c.position = {{0, -100, 0}};
    c.lens = 0; // an infinite field of view
    c.positionKeys = {{{0, -100, 0}}, {{0, -90, 0}}};
    tds::CameraDesc negative = c;
    negative.lens = -0.0f;
    d.cameras = {c, negative};
    tds::LightDesc l;
    l.name = "Sun";
    l.position = {{5, 5, 5}};
    d.lights = {l};
    return d;
}

} // namespace

TEST(SceneSummary, FloatsHaveNineSignificantDigitsAndNamedNonFiniteValues) {
    EXPECT_EQ(jsonFloat(0.1f), "0.100000001");
    EXPECT_EQ(jsonFloat(48.0f), "48");
    EXPECT_EQ(jsonFloat(68.571426f), "68.5714264");
    EXPECT_EQ(jsonFloat(-0.0f), "-0");
    EXPECT_EQ(jsonFloat(1e20f), "1.00000002e+20");
    EXPECT_EQ(jsonFloat(std::nanf("")), "\"nan\"");
    EXPECT_EQ(jsonFloat(-std::nanf("")), "\"nan\"");
    EXPECT_EQ(jsonFloat(1.0f / 0.0f), "\"inf\"");
    EXPECT_EQ(jsonFloat(-1.0f / 0.0f), "\"-inf\"");
    EXPECT_EQ(jsonString("a\"b\\c\n\x7f\xe9"), "\"a\\\"b\\\\c\\u000a\\u007f\\u00e9\"");
    EXPECT_EQ(renderModeNames(RENDER_SMOOTH), "smooth");
    EXPECT_EQ(renderModeNames(RENDER_TEXTURED | RENDER_BLEND_ADD), "textured+blend-add");
    EXPECT_EQ(renderModeNames(0), "none");
}

TEST(Inspector, JsonGivesOneObjectPerFileWithTheListedKeys) {
    ASSERT_TRUE(tds::saveFile("sample.3ds", tds::sceneBytes(sampleScene())));
    ASSERT_TRUE(tds::saveFile("second.3ds", tds::sceneBytes(tds::SceneDesc{})));
    const std::string sample = absolute("sample.3ds");
    InspectRun r = inspect("--json --no-textures '" + sample + "' '" + absolute("second.3ds") + "'");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::vector<std::string> lines;
    for (size_t start = 0, end; start < r.out.size(); start = end + 1) {
        end = r.out.find('\n', start);
        ASSERT_NE(end, std::string::npos);
        lines.push_back(r.out.substr(start, end - start));
    }
    ASSERT_EQ(lines.size(), 2u) << r.out;
    for (const std::string& line : lines)
        EXPECT_TRUE(JsonChecker(line).valid()) << line;
    const std::string& j = lines[0];
    EXPECT_EQ(j.rfind("{\"file\":\"" + sample +
                          "\",\"name\":\"NONAME\",\"objectCount\":2,\"cameraCount\":2,"
                          "\"lightCount\":1,\"totalVertices\":7,\"totalFaces\":2,\"materials\":[{\"name\":"
                          "\"Stone\\u0001\\u00e9\",\"mapFile\":\"stone.tga\",\"ambient255\":[200,100,0],"
                          "\"ambient\":[0.784313798,0.392156899,0],",
                      0),
              0u)
        << j;
    EXPECT_NE(j.find("\"objects\":[{\"name\":\"Rock \\\"big\\\"\",\"vertexCount\":4,\"faceCount\":1,"
                     "\"texCoordCount\":4,\"hasTexCoords\":true,\"renderMode\":8,\"texture\":0,"
                     "\"material\":{\"name\":\"Stone\\u0001\\u00e9\",\"mapFile\":\"stone.tga\"},"
                     "\"pivot\":[1,2,3],\"positionKeyCount\":1,\"rotationKeyCount\":1,\"scaleKeyCount\":2,"
                     "\"matrix\":[1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1]}"),
              std::string::npos)
        << j;
    EXPECT_NE(j.find("\"renderMode\":4,\"texture\":0,\"material\":null,"), std::string::npos);
    EXPECT_NE(
        j.find("\"cameras\":[{\"position\":[0,-100,0],\"target\":[0,0,0],\"fov\":\"inf\","
               "\"positionKeyCount\":2,\"targetKeyCount\":1},{\"position\":[0,-100,0],\"target\":[0,0,0],"
               "\"fov\":\"-inf\","),
        std::string::npos)
        << j;
    EXPECT_NE(
        j.find("\"lights\":[{\"position\":[5,5,5],\"spotTarget\":[0,0,0],\"hotspot\":0,\"falloff\":0}]}"),
        std::string::npos);
    EXPECT_EQ(j.find("\"vertices\""), std::string::npos);
    EXPECT_NE(lines[1].find("\"objectCount\":0,\"cameraCount\":0,\"lightCount\":0,\"totalVertices\":0,"
                            "\"totalFaces\":0,\"materials\":[],\"objects\":[],\"cameras\":[],\"lights\":[]}"),
              std::string::npos);
    // The loader's own standard-output lines went to standard error.
    EXPECT_NE(r.err.find("[#] Reading KeyFramer data!\n"), std::string::npos);
}

TEST(Inspector, DetailAddsGeometryAndKeys) {
    ASSERT_TRUE(tds::saveFile("sample.3ds", tds::sceneBytes(sampleScene())));
    InspectRun r = inspect("--json --detail --no-textures '" + absolute("sample.3ds") + "'");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(JsonChecker(r.out).valid());
    EXPECT_NE(
        r.out.find("\"vertices\":[[0,0,0],[1,0,0],[0,1,0],[9,9,9]],\"texCoords\":[[0,0],[1,0],[0,1],[1,1]],"
                   "\"faces\":[[0,1,2,[0,0,-1]]],\"vertexNormals\":[[0,0,-1],[0,0,-1],[0,0,-1],"
                   "[\"nan\",\"nan\",\"nan\"]],\"positionKeys\":[[0,[0.100000001,0,0]]],"
                   "\"rotationKeys\":[[0.5,[0,0,1]]],\"scaleKeys\":[[1,1,1],[2,2,2]]}"),
        std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\"positionKeys\":[[0,[0,-100,0]],[1,[0,-90,0]]],\"targetKeys\":[[0,[0,0,0]]]}"),
              std::string::npos);
}

TEST(Inspector, TheReadableSummaryAndTheLogHoldWhatWasRead) {
    ASSERT_TRUE(tds::saveFile("sample.3ds", tds::sceneBytes(sampleScene())));
    InspectRun r = inspect("--no-textures '" + absolute("sample.3ds") + "'");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("  2 objects, 2 cameras, 1 light, 7 vertices, 2 faces\n"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("mode 8 (textured), texture 0, material \"Stone"), std::string::npos);
    EXPECT_NE(r.out.find("field of view inf degrees"), std::string::npos);
    // The log: the banner, then only the loader's lines and the report.
    const std::string banner = "----------- LoggStarted -----------";
    ASSERT_EQ(r.log.rfind(banner, 0), 0u);
    size_t afterBanner = r.log.find("*********************************", banner.size() + 33);
    ASSERT_NE(afterBanner, std::string::npos);
    std::string rest = r.log.substr(afterBanner + 33);
    EXPECT_EQ(rest.rfind("chunk #2 (10 bytes)\nchunk #3D3D (", 0), 0u) << rest;
    EXPECT_NE(rest.find(" Done reading "), std::string::npos);
    const std::string tail = "Vertices in scene: 7\nFacees in scene: 2\n"
                             "---------------------------------------------\n";
    EXPECT_EQ(rest.substr(rest.size() - tail.size()), tail);
}

TEST(Inspector, FatalErrorsAndUsageEndWithStatusOne) {
    InspectRun missing = inspect("--json no-such-file.3ds");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.log.substr(missing.log.size() - 18), "Ops! Could't found");

    InspectRun none = inspect("--json");
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_NE(none.err.find("usage: quarn-inspect"), std::string::npos);
    InspectRun unknown = inspect("--frobnicate x.3ds");
    EXPECT_EQ(unknown.exitCode, 1);
    InspectRun help = inspect("--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--no-textures"), std::string::npos);

    // Textures on: the loader asks the texture loader, which refuses this format.
    tds::SceneDesc d = sampleScene();
    d.materials[0].mapFile = "stone.bmp";
    ASSERT_TRUE(tds::saveFile("bmp.3ds", tds::sceneBytes(d)));
    InspectRun textured = inspect("'" + absolute("bmp.3ds") + "'");
    EXPECT_EQ(textured.exitCode, 1);
    EXPECT_EQ(textured.log.substr(textured.log.size() - 24), "fileformat not supported");
}

TEST(Inspector, EverySharedSampleLoadsWithoutTextures) {
    const std::string dir = sharedSamplesDir();
    if (dir.empty())
        GTEST_SKIP() << "no shared samples folder beside the checkout";
    DIR* d = opendir(dir.c_str());
    ASSERT_NE(d, nullptr);
    std::vector<std::string> files;
    while (dirent* e = readdir(d)) {
        std::string name = e->d_name;
        if (name.size() > 4 &&
            (name.substr(name.size() - 4) == ".3ds" || name.substr(name.size() - 4) == ".3DS"))
            files.push_back(name);
    }
    closedir(d);
    ASSERT_FALSE(files.empty());
    for (const std::string& name : files) {
        const std::string path = dir + "/" + name;
        struct stat info;
        ASSERT_EQ(stat(path.c_str(), &info), 0);
        InspectRun r = inspect("--json --detail --no-textures '" + path + "'", "samples.run");
        if (info.st_size == 0) {
            // The empty file on purpose: the header check refuses it.
            EXPECT_EQ(r.exitCode, 1) << name;
            EXPECT_EQ(r.log.substr(r.log.size() - 13), "Corrupt 3ds!\n") << name;
            continue;
        }
        EXPECT_EQ(r.exitCode, 0) << name << "\n" << r.err;
        EXPECT_TRUE(JsonChecker(r.out).valid()) << name;
        EXPECT_NE(r.log.find(" Done reading "), std::string::npos) << name;
        EXPECT_NE(r.out.find("\"objectCount\":"), std::string::npos) << name;
    }
}

TEST(Inspector, TexturesAreReadUnlessTurnedOff) {
    // A 1 x 1 TGA beside the inspector's working directory.
    const std::vector<unsigned char> image = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 24, 0, 10, 20, 30};
    mkdir("textured.run", 0755);
    ASSERT_TRUE(writeFileBytes("textured.run/stone.tga", image));
    ASSERT_TRUE(tds::saveFile("sample.3ds", tds::sceneBytes(sampleScene())));
    InspectRun on = inspect("--json '" + absolute("sample.3ds") + "'", "textured.run");
    ASSERT_EQ(on.exitCode, 0) << on.err;
    EXPECT_NE(on.out.find("\"renderMode\":8,\"texture\":1,"), std::string::npos) << on.out;
    InspectRun off = inspect("--json --no-textures '" + absolute("sample.3ds") + "'", "textured.run");
    EXPECT_NE(off.out.find("\"renderMode\":8,\"texture\":0,"), std::string::npos);
}
