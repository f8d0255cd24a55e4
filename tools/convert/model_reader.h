// Reading a foreign model through assimp: the meshes of every node placed in the
// demo's space (Z up, scaled), their materials, and a line for each thing of the
// source the demo's files can't hold.
#pragma once

#include "convert_options.h"
#include "input_files.h"
#include "node_sampler.h"
#include "report.h"
#include "source_model.h"

#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include <memory>
#include <string>

namespace convert {

struct Source {
    Assimp::Importer importer;
    const aiScene* scene = nullptr;
    aiMatrix4x4 toDemo; // source world space to the demo's: scale, then Y-up to Z-up
    std::unique_ptr<NodeSampler> sampler;
    // A glTF input: its colours are in linear light and become sRGB bytes.
    bool gltf = false;
    // A .3ds input: its keys are the demo's own (one a pass) and its lens is the demo's.
    bool threeDs = false;
    // Metres per source unit, as the file says it (FBX, Collada); 1 when it doesn't.
    double unitMetres = 1.0;
    InputPolicy inputs; // what the files the model names may be
};

// Imports the file; false with a message when assimp can't read it.
bool importSource(const ConvertOptions& options, Source& source, std::string& error);

// Places every mesh instance at the animation's start and reads the materials.
void readModel(const Source& source, SourceModel& model, Report& report);

// Lines for the lights, skins, morph targets, extra cameras and animations that the
// scene file can't carry.
void reportLosses(const Source& source, const std::string& flownCamera, Report& report);

} // namespace convert
