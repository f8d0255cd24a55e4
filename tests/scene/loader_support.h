// Loading writer-made files in tests: the scene, the loader (for its materials), the
// log text and standard output the load wrote, and the fatal error text if any.
#pragma once

#include "scene/scene_loader.h"
#include "support/gl_fixture.h"

#include "chunk_writer.h"
#include "scene_writer.h"

#include <memory>
#include <string>
#include <vector>

struct LoadResult {
    std::unique_ptr<SceneLoader> loader;
    std::unique_ptr<Scene> scene;
    std::string log;
    std::string out;
    std::string fatal; // empty when the load ended normally
};

// Writes bytes to fileName in the working directory and loads it.
LoadResult loadBytes(const std::vector<uint8_t>& bytes, bool textures = false,
                     const std::string& fileName = "t.3ds");
// Loads a file that already exists.
LoadResult loadPath(const std::string& path, bool textures = false);

// A main chunk holding the given top-level chunks.
tds::Chunk mainChunk(std::vector<tds::Chunk> children);
// A main chunk with an editor chunk holding the given chunks.
tds::Chunk editorFile(std::vector<tds::Chunk> editorChildren, std::vector<tds::Chunk> after = {});

// The lines of text, each with its line end.
std::vector<std::string> linesOf(const std::string& text);

class LoaderTest : public GLTest {};
