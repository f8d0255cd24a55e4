#include "convert.h"

#include "camera_bake.h"
#include "guarded_import.h"
#include "model_reader.h"
#include "output_files.h"
#include "roles.h"
#include "scene_build.h"

#include <filesystem>
#include <stdexcept>

namespace convert {

namespace fs = std::filesystem;

namespace {

size_t triangleCount(const SourceModel& model) {
    size_t n = 0;
    for (const PlacedMesh& mesh : model.meshes)
        n += mesh.triangles.size();
    return n;
}

bool writeOutputs(const ConvertOptions& options, const BuiltScene& built, std::string& error) {
    std::vector<uint8_t> bytes;
    try {
        bytes = tds::sceneBytes(built.desc);
    } catch (const std::length_error& e) {
        error = e.what();
        return false;
    }
    fs::path folder = fs::u8path(options.output).parent_path();
    std::error_code failure;
    if (!folder.empty() && !fs::is_directory(folder, failure) && !fs::create_directories(folder, failure)) {
        error = "can't write " + options.output + ": can't make its folder: " + failure.message();
        return false;
    }
    std::vector<PendingFile> files;
    for (const OutputFile& texture : built.textures)
        files.push_back({(folder / texture.name).u8string(), &texture.bytes});
    files.push_back({options.output, &bytes});
    return writeOutputSet(files, options.input, error);
}

} // namespace

bool writeAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
    return writeOutputSet({{path, &bytes}}, std::string(), error);
}

int convertModel(const ConvertOptions& options, Report& report, std::string& error) {
    if (!checkOutputPath(options.output, options.input, error))
        return 1;
    Source source;
    source.inputs = inputPolicyFor(options.input, options.allowOutside);
    if (!importGuarded(options, source.inputs, source, error)) {
        error = "can't read " + options.input + ": " + error;
        return 1;
    }
    SourceModel model;
    readModel(source, model, report);
    if (model.meshes.empty()) {
        error = options.input + " holds no mesh to show";
        return 1;
    }
    report.say(format("read %s: %zu placed meshes, %zu triangles, %u materials, %u cameras",
                      options.input.c_str(), model.meshes.size(), triangleCount(model),
                      source.scene->mNumMaterials, source.scene->mNumCameras));
    CameraFlight flight;
    if (!bakeCamera(source, model, options, flight, report, error))
        return 1;
    reportLosses(source, flight.name, report);
    std::vector<size_t> order;
    if (!orderMeshes(model, options, order, error))
        return 1;
    BuiltScene built;
    buildScene(source, model, order, flight, options, built, report);
    if (built.desc.meshes.size() > 60000) {
        error = format("the scene would hold %zu objects; a scene file holds at most 60000",
                       built.desc.meshes.size());
        return 1;
    }
    if (!writeOutputs(options, built, error))
        return 1;
    report.say(format("wrote %s for part %d: %zu objects, %zu textures, camera 0 with %zu keys",
                      options.output.c_str(), options.part, built.desc.meshes.size(), built.textures.size(),
                      flight.eyes.size()));
    return 0;
}

} // namespace convert
