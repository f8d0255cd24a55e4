// What the scene inspector prints for one loaded file: a summary for a person, or
// one JSON object on a line of its own.
#pragma once

#include "scene/scene.h"
#include "scene/scene_loader.h"

#include <string>

struct SummaryOptions {
    // JSON: add the vertices, coordinates, faces, normals and keys.
    bool detail = false;
};

// The readable summary of the scene loaded from file (several lines, each ending in "\n").
std::string textSummary(const std::string& file, const Scene& scene, const SceneLoader& loader,
                        const SummaryOptions& options);
// The JSON object of the scene loaded from file, one line ending in "\n". Floats have
// 9 significant digits; a non-finite float is the string "nan", "inf" or "-inf".
// Text bytes above 0x7F are written as the Latin-1 characters \u0080 to \u00ff.
std::string jsonSummary(const std::string& file, const Scene& scene, const SceneLoader& loader,
                        const SummaryOptions& options);

// A JSON number for a float, as jsonSummary writes it.
std::string jsonFloat(float value);
// A JSON string literal for text.
std::string jsonString(const char* text);
// The names of the render-mode bits set in mode, joined by "+" ("none" for 0).
std::string renderModeNames(int32_t mode);
