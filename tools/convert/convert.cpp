#include "convert.h"

#include "camera_bake.h"
#include "model_reader.h"
#include "roles.h"
#include "scene_build.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
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
    for (const OutputFile& texture : built.textures) {
        if (!writeAtomically((folder / texture.name).u8string(), texture.bytes, error))
            return false;
    }
    return writeAtomically(options.output, bytes, error);
}

} // namespace

bool writeAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
    fs::path target = fs::u8path(path);
    fs::path temporary = target.parent_path() / ("." + target.filename().u8string() + ".partial");
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (out)
            out.write(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            error = "can't write " + path + ": " + std::strerror(errno);
            std::error_code ignored;
            fs::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code failure;
    fs::rename(temporary, target, failure);
    if (failure) {
        error = "can't write " + path + ": " + failure.message();
        fs::remove(temporary, failure);
        return false;
    }
    return true;
}

int convertModel(const ConvertOptions& options, Report& report, std::string& error) {
    Source source;
    if (!importSource(options, source, error)) {
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
