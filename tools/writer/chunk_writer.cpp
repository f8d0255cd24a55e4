#include "chunk_writer.h"

#include <cstdio>
#include <cstring>

namespace tds {

Chunk& Chunk::u8(uint8_t v) {
    data.push_back(v);
    return *this;
}

Chunk& Chunk::u16(uint16_t v) {
    data.push_back(static_cast<uint8_t>(v & 0xFF));
    data.push_back(static_cast<uint8_t>(v >> 8));
    return *this;
}

Chunk& Chunk::u32(uint32_t v) {
    for (int i = 0; i < 4; ++i)
        data.push_back(static_cast<uint8_t>((v >> (8 * i)) & 0xFF));
    return *this;
}

Chunk& Chunk::f32(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return u32(bits);
}

Chunk& Chunk::vec(float x, float y, float z) {
    return f32(x).f32(y).f32(z);
}

Chunk& Chunk::str(const std::string& text) {
    data.insert(data.end(), text.begin(), text.end());
    data.push_back(0);
    return *this;
}

Chunk& Chunk::bytes(const std::vector<uint8_t>& raw) {
    data.insert(data.end(), raw.begin(), raw.end());
    return *this;
}

Chunk& Chunk::add(Chunk child) {
    children.push_back(std::move(child));
    return children.back();
}

uint32_t Chunk::size() const {
    uint32_t total = 6 + static_cast<uint32_t>(data.size());
    for (const Chunk& child : children)
        total += child.size();
    return total;
}

void Chunk::write(std::vector<uint8_t>& out) const {
    uint32_t length = forceLength ? forcedLength : size();
    out.push_back(static_cast<uint8_t>(id & 0xFF));
    out.push_back(static_cast<uint8_t>(id >> 8));
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>((length >> (8 * i)) & 0xFF));
    out.insert(out.end(), data.begin(), data.end());
    for (const Chunk& child : children)
        child.write(out);
}

std::vector<uint8_t> Chunk::bytes() const {
    std::vector<uint8_t> out;
    out.reserve(size());
    write(out);
    return out;
}

bool saveFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace tds
