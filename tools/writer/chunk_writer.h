// Builds 3DS chunk trees in memory and writes them out. A Chunk holds its own data
// bytes followed by its sub-chunks; lengths are computed when the tree is written,
// unless a length is forced (to make malformed files for tests).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tds {

struct Chunk {
    uint16_t id = 0;
    std::vector<uint8_t> data;
    std::vector<Chunk> children;
    // When set, written instead of the computed length.
    bool forceLength = false;
    uint32_t forcedLength = 0;

    Chunk() = default;
    explicit Chunk(uint16_t id_) : id(id_) {}

    Chunk& u8(uint8_t v);
    Chunk& u16(uint16_t v);
    Chunk& u32(uint32_t v);
    Chunk& f32(float v);
    Chunk& vec(float x, float y, float z);
    // The text followed by its zero byte.
    Chunk& str(const std::string& text);
    Chunk& bytes(const std::vector<uint8_t>& raw);
    // Appends a sub-chunk and returns it (valid until the next add).
    Chunk& add(Chunk child);
    Chunk& add(uint16_t childId) { return add(Chunk(childId)); }

    // Total size of the chunk with its header and sub-chunks.
    uint32_t size() const;
    // Appends the serialised chunk to out.
    void write(std::vector<uint8_t>& out) const;
    std::vector<uint8_t> bytes() const;
};

// Writes the bytes to a file; false on failure.
bool saveFile(const std::string& path, const std::vector<uint8_t>& bytes);

} // namespace tds
