// Assembling the scene file from the read model: objects split to fit, named,
// given a material and texture each, placeholders where the part addresses more
// objects than the model has, and camera 0 with its baked keys.
#pragma once

#include "convert_options.h"
#include "model_reader.h"
#include "report.h"
#include "scene_writer.h"
#include "source_model.h"

#include <cstdint>
#include <string>
#include <vector>

namespace convert {

struct OutputFile {
    std::string name; // beside the scene file
    std::vector<uint8_t> bytes;
};

struct BuiltScene {
    tds::SceneDesc desc;
    std::vector<OutputFile> textures;
};

// The meshes go in `order` (see orderMeshes); each object the part addresses gets a
// line saying what the part does to it.
void buildScene(const Source& source, const SourceModel& model, const std::vector<size_t>& order,
                const CameraFlight& flight, const ConvertOptions& options, BuiltScene& built, Report& report);

} // namespace convert
