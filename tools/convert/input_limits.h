// What the converter accepts from a model file and the files it names. Models come
// from anywhere, so every count that decides time or memory has a ceiling.
#pragma once

#include <cstddef>
#include <cstdint>

namespace convert {

// A model file or a buffer it names: 256 MiB.
constexpr uint64_t MAX_MODEL_FILE_BYTES = 256ull << 20;
// An image file a material names: 64 MiB.
constexpr uint64_t MAX_IMAGE_FILE_BYTES = 64ull << 20;
// Pixels of one source image before it is decoded: 8192 x 8192 (192 MiB as RGB).
constexpr uint64_t MAX_SOURCE_PIXELS = 8192ull * 8192ull;
// Levels of the node hierarchy, and nodes visited when every reference to a node
// counts as a copy of it (a scene file holds at most 60000 objects anyway).
constexpr size_t MAX_NODE_DEPTH = 1000;
constexpr size_t MAX_NODE_VISITS = 100000;
// The stack of the thread that runs the import: assimp's readers recurse.
constexpr size_t IMPORT_STACK_BYTES = 256u << 20;

} // namespace convert
