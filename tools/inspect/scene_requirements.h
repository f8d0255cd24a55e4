// Whether a loaded scene can serve as the scene of one part of the script: one line
// per requirement, each "ok: ...", "warning: ..." or "problem: ..." with what to do.
#pragma once

#include "scene/scene.h"

#include <cstdint>
#include <string>
#include <vector>

// The parts that show a scene, in script order.
extern const int32_t SHOWN_PARTS[5];

// Appends the lines; true when no line is a problem. `texturesLoaded` false: the
// textures were not read, so whether they load is not checked.
bool checkScene(const Scene& scene, int32_t part, std::vector<std::string>& lines,
                bool texturesLoaded = true);

// The verdict on a file from the lines of its check ("ok: ...", "problem: ..."):
// "FILE: part N: ok" or ": not usable" and the lines indented, or with `json` one
// JSON object on a line of its own.
std::string checkVerdict(const std::string& file, int32_t part, bool passed,
                         const std::vector<std::string>& lines, bool json);
