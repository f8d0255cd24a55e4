// One conversion from a foreign model to a scene file the demo plays, with its
// textures beside it. Nothing appears under a final name until it is complete.
#pragma once

#include "convert_options.h"
#include "report.h"

#include <string>

namespace convert {

// Returns the exit code: 0 with the scene written, 1 with `error` set (an input
// assimp can't read, no mesh, an output that can't be written).
int convertModel(const ConvertOptions& options, Report& report, std::string& error);

// Writes the bytes to a hidden file beside `path`, then renames it to `path`.
bool writeAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);

} // namespace convert
