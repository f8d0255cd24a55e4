// A look at a glTF file's node graph before the importer builds it. The importer
// copies a node for every reference to it, so a few kilobytes whose nodes each name
// the next one twice stand for billions of nodes; a long chain makes it recurse
// past any stack. Both are refused here, in time and memory of the file's size.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace convert {

// True when `bytes` are not glTF (JSON or binary) or their node graph is within
// MAX_NODE_DEPTH levels and MAX_NODE_VISITS nodes copied out; false with `error`.
bool checkGltfGraph(const std::vector<uint8_t>& bytes, std::string& error);

} // namespace convert
