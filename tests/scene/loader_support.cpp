#include "loader_support.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

LoadResult loadPath(const std::string& path, bool textures) {
    LoadResult r;
    r.loader = std::make_unique<SceneLoader>();
    r.loader->loadTextures = textures;
    LogMark mark;
    testing::internal::CaptureStdout();
    {
        FatalCapture capture;
        try {
            r.scene.reset(r.loader->load(path.c_str()));
        } catch (const FatalError& e) {
            r.fatal = e.what();
        }
    }
    r.out = testing::internal::GetCapturedStdout();
    r.log = mark.text();
    return r;
}

LoadResult loadBytes(const std::vector<uint8_t>& bytes, bool textures, const std::string& fileName) {
    EXPECT_TRUE(writeFileBytes(fileName, bytes));
    return loadPath(fileName, textures);
}

tds::Chunk mainChunk(std::vector<tds::Chunk> children) {
    tds::Chunk main(0x4D4D);
    for (tds::Chunk& c : children)
        main.add(std::move(c));
    return main;
}

tds::Chunk editorFile(std::vector<tds::Chunk> editorChildren, std::vector<tds::Chunk> after) {
    tds::Chunk editor(0x3D3D);
    for (tds::Chunk& c : editorChildren)
        editor.add(std::move(c));
    std::vector<tds::Chunk> top;
    top.push_back(std::move(editor));
    for (tds::Chunk& c : after)
        top.push_back(std::move(c));
    return mainChunk(std::move(top));
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        lines.push_back(text.substr(start, end - start));
        start = end;
    }
    return lines;
}
