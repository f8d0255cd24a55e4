// Small chunk builders shared by the loader tests.
#pragma once

#include "chunk_writer.h"

#include <cstdint>
#include <string>

// A chunk holding one zero-terminated text.
inline tds::Chunk text(uint16_t id, const std::string& s) {
    tds::Chunk c(id);
    c.str(s);
    return c;
}

// A 24-bit colour chunk (0x0011 and its relatives).
inline tds::Chunk color24(uint16_t id, uint8_t r, uint8_t g, uint8_t b) {
    tds::Chunk c(id);
    c.u8(r).u8(g).u8(b);
    return c;
}
