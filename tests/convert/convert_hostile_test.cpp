// The converter against files made to hurt it: special files where files are
// expected, node graphs that recurse or multiply, images that declare more pixels
// than anyone should decode, outputs that aren't fresh regular files, a full disk
// and references outside the model's folder. Each conversion runs in a child
// process, so a hang or a blown stack fails the test instead of ending it.
#include "convert.h"
#include "gltf_builder.h"

#include "app/png_writer.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct ChildRun {
    int code = -1;    // the exit status, or 128 + the signal that ended the child
    std::string text; // the error, then the report
    double seconds = 0;
    long peakKb = 0;
};

// Converts in a child with 30 s to live and, when fileLimit is set, files limited
// to that many bytes (a disk that fills up part way).
ChildRun convertInChild(const std::string& in, const std::string& out, bool allowOutside = false,
                        rlim_t fileLimit = 0) {
    int pipeEnds[2];
    EXPECT_EQ(pipe(pipeEnds), 0);
    auto start = std::chrono::steady_clock::now();
    pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        alarm(30);
        if (fileLimit) {
            rlimit limit{fileLimit, fileLimit};
            setrlimit(RLIMIT_FSIZE, &limit);
            std::signal(SIGXFSZ, SIG_IGN);
        }
        convert::ConvertOptions options;
        options.input = in;
        options.output = out;
        options.allowOutside = allowOutside;
        convert::Report report;
        std::string error;
        int code = convert::convertModel(options, report, error);
        std::string text = error + "\n" + report.text();
        ssize_t ignored = write(pipeEnds[1], text.data(), text.size());
        (void)ignored;
        _exit(code);
    }
    close(pipeEnds[1]);
    ChildRun run;
    char block[4096];
    for (ssize_t n; (n = read(pipeEnds[0], block, sizeof block)) > 0;)
        run.text.append(block, static_cast<size_t>(n));
    close(pipeEnds[0]);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakKb = usage.ru_maxrss;
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

// A glTF of one triangle under `nodes` nodes, node i naming node i + 1 `fanOut`
// times, its buffer in the file named `buffer` (empty: inline).
std::string nodeChain(int nodes, int fanOut, const std::string& buffer = "") {
    std::string list;
    for (int i = 0; i < nodes; ++i) {
        list += (i ? ",{" : "{") + std::string("\"name\":\"n") + std::to_string(i) + "\"";
        if (i + 1 < nodes) {
            list += ",\"children\":[";
            for (int k = 0; k < fanOut; ++k)
                list += (k ? "," : "") + std::to_string(i + 1);
            list += "]";
        } else {
            list += ",\"mesh\":0";
        }
        list += "}";
    }
    std::string uri = buffer.empty() ? "data:application/octet-stream;base64,"
                                       "AAAAAAAAAAAAAAAAAACAPwAAAAAAAAAAAAAAAAAAgD8AAAAA"
                                     : buffer;
    return "{\"asset\":{\"version\":\"2.0\"},\"scene\":0,\"scenes\":[{\"nodes\":[0]}],\"nodes\":[" + list +
           "],\"meshes\":[{\"primitives\":[{\"attributes\":{\"POSITION\":0}}]}],"
           "\"accessors\":[{\"bufferView\":0,\"componentType\":5126,\"count\":3,\"type\":\"VEC3\","
           "\"min\":[0,0,0],\"max\":[1,1,0]}],\"bufferViews\":[{\"buffer\":0,\"byteLength\":36}],"
           "\"buffers\":[{\"byteLength\":36,\"uri\":\"" +
           uri + "\"}]}";
}

uint32_t crc32Of(const unsigned char* bytes, size_t size) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= bytes[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

// A real 4 x 4 PNG whose header then claims side x side pixels (CRC kept right).
void writeClaimingPng(const std::string& path, uint32_t side) {
    std::vector<unsigned char> rgb(4 * 4 * 3, 90);
    std::string error;
    ASSERT_TRUE(writePng(path.c_str(), 4, 4, rgb.data(), error)) << error;
    std::string png = readFileText(path);
    std::vector<unsigned char> b(png.begin(), png.end());
    for (int i = 0; i < 4; ++i)
        b[16 + i] = b[20 + i] = static_cast<unsigned char>(side >> (24 - 8 * i));
    uint32_t crc = crc32Of(b.data() + 12, 17);
    for (int i = 0; i < 4; ++i)
        b[29 + i] = static_cast<unsigned char>(crc >> (24 - 8 * i));
    ASSERT_TRUE(writeFileBytes(path, b));
}

// A cube textured with the image at `uri`, written to `path`.
void writeTexturedCube(const std::string& path, const std::string& uri, int grid = 1) {
    GltfScene s;
    s.meshes = {gridCube("Box", grid)};
    s.textureUri = uri;
    writeText(path, s.json());
}

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(ConvertHostile, InputsThatWouldHangOrExplodeAreRefusedPromptly) {
    fs::create_directories("hostile");
    fs::remove("hostile/pipe.gltf");
    fs::remove("hostile/pipe.bin");
    ASSERT_EQ(mkfifo("hostile/pipe.gltf", 0600), 0);
    ASSERT_EQ(mkfifo("hostile/pipe.bin", 0600), 0);
    writeText("hostile/buffer.gltf", nodeChain(1, 0, "pipe.bin"));
    writeText("hostile/chain.gltf", nodeChain(20000, 1));
    writeText("hostile/twice.gltf", nodeChain(40, 2));
    struct Case {
        const char* input;
        const char* says;
    } cases[] = {
        {"hostile/pipe.gltf", "not a regular file"},
        {"hostile/buffer.gltf", "pipe.bin\": not a regular file"},
        {"hostile/chain.gltf", "deeper than 1000 levels"},
        {"hostile/twice.gltf", "more than 100000 nodes"},
    };
    for (const Case& c : cases) {
        ChildRun run = convertInChild(c.input, "hostile/out.3ds");
        EXPECT_EQ(run.code, 1) << c.input << ": " << run.text;
        EXPECT_NE(run.text.find(c.says), std::string::npos) << run.text;
        EXPECT_LT(run.seconds, 10.0) << c.input;
        EXPECT_LT(run.peakKb, 400 * 1024) << c.input;
    }
    EXPECT_FALSE(fs::exists("hostile/out.3ds"));
}

TEST(ConvertHostile, ImageDeclaringTooManyPixelsIsRefusedBeforeDecoding) {
    fs::create_directories("huge");
    writeClaimingPng("huge/huge.png", 16384);
    writeTexturedCube("huge/huge.gltf", "huge.png");
    ChildRun run = convertInChild("huge/huge.gltf", "huge/huge.3ds");
    EXPECT_EQ(run.code, 0) << run.text;
    EXPECT_NE(run.text.find("texture \"huge.png\""), std::string::npos) << run.text;
    EXPECT_NE(run.text.find("declared 16384 x 16384"), std::string::npos) << run.text;
    EXPECT_LT(run.peakKb, 400 * 1024);
}

TEST(ConvertHostile, OutputThatIsNotAFreshOrRegularFileIsLeftAlone) {
    fs::create_directories("outs");
    writeText("outs/model.gltf", nodeChain(2, 1));
    writeText("outs/kept.txt", "kept");
    fs::remove("outs/pipe.3ds");
    fs::remove("outs/link.3ds");
    ASSERT_EQ(mkfifo("outs/pipe.3ds", 0600), 0);
    fs::create_symlink("kept.txt", "outs/link.3ds");
    std::string model = readFileText("outs/model.gltf");
    for (const char* out : {"outs/pipe.3ds", "outs/link.3ds", "outs/model.gltf", "outs/./model.gltf"}) {
        ChildRun run = convertInChild("outs/model.gltf", out);
        EXPECT_EQ(run.code, 1) << out << ": " << run.text;
    }
    // The program itself, run in that folder, refuses too and leaves no log file there.
    std::string program = binaryDir() + "/app/quarn-convert";
    EXPECT_NE(std::system(("cd outs && '" + program + "' model.gltf pipe.3ds 2>/dev/null").c_str()), 0);
    EXPECT_TRUE(fs::is_fifo("outs/pipe.3ds"));
    EXPECT_TRUE(fs::is_symlink("outs/link.3ds"));
    EXPECT_EQ(readFileText("outs/kept.txt"), "kept");
    EXPECT_EQ(readFileText("outs/model.gltf"), model);
    EXPECT_EQ(namesIn("outs"), (std::vector<std::string>{"kept.txt", "link.3ds", "model.gltf", "pipe.3ds"}));
}

TEST(ConvertHostile, DiskFillingUpLeavesNothingNew) {
    fs::remove_all("full");
    fs::create_directories("full");
    std::vector<unsigned char> rgb(100 * 60 * 3, 200);
    std::string error;
    ASSERT_TRUE(writePng("full/paint.png", 100, 60, rgb.data(), error)) << error;
    writeTexturedCube("full/model.gltf", "paint.png", 12);
    // The 64 x 32 texture (6 kB) fits, the scene (over 30 kB) does not.
    ChildRun run = convertInChild("full/model.gltf", "full/model.3ds", false, 16384);
    EXPECT_EQ(run.code, 1) << run.text;
    EXPECT_NE(run.text.find("can't write full/model.3ds: File too large"), std::string::npos) << run.text;
    EXPECT_EQ(namesIn("full"), (std::vector<std::string>{"model.gltf", "paint.png"}));
    EXPECT_EQ(convertInChild("full/model.gltf", "full/model.3ds").code, 0);
}

TEST(ConvertHostile, ImageOutsideTheModelsFolderIsReadOnlyWhenAllowed) {
    fs::remove_all("place");
    fs::create_directories("place/model");
    std::vector<unsigned char> rgb(8 * 8 * 3, 200);
    std::string error;
    ASSERT_TRUE(writePng("place/secret.png", 8, 8, rgb.data(), error)) << error;
    writeTexturedCube("place/model/model.gltf", "../secret.png");
    ChildRun refused = convertInChild("place/model/model.gltf", "place/model/model.3ds");
    EXPECT_EQ(refused.code, 0) << refused.text;
    EXPECT_NE(refused.text.find("lies outside the model's folder (--allow-outside reads it)"),
              std::string::npos)
        << refused.text;
    EXPECT_EQ(namesIn("place/model").size(), 3u); // the model, the scene, the ramp
    ChildRun allowed = convertInChild("place/model/model.gltf", "place/model/model.3ds", true);
    EXPECT_EQ(allowed.code, 0) << allowed.text;
    EXPECT_EQ(allowed.text.find("outside"), std::string::npos) << allowed.text;
}

} // namespace
