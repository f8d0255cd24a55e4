#include "scene_build.h"

#include "app/timeline.h"
#include "mesh_split.h"
#include "naming.h"
#include "roles.h"
#include "textures.h"

#include <algorithm>
#include <map>

namespace convert {

namespace {

// The 3DS materials of the output, made on first use: a source material with its
// own texture, or with a ramp of its colour.
class MaterialMaker {
  public:
    MaterialMaker(const Source& source, const SourceModel& model, const ConvertOptions& options,
                  BuiltScene& built, Report& report)
        : source_(source), model_(model), options_(options), built_(built), report_(report),
          stem_(textureStem(options.output)) {}

    // The material name, or "" when the source texture can't be read (said once).
    std::string textured(uint32_t index) {
        auto found = textured_.find(index);
        if (found != textured_.end())
            return found->second;
        const SourceMaterial& m = model_.materials[index];
        Image image;
        std::string error, foundAs;
        std::string name;
        if (readSourceTexture(source_, options_.input, m.texture, image, foundAs, error)) {
            if (foundAs != m.texture)
                report_.say("texture \"" + m.texture + "\" of material \"" + m.name + "\": read from \"" +
                            foundAs + "\" beside the model");
            name = add(m, powerOfTwo(image), "");
        } else
            report_.lose("texture \"" + m.texture + "\" of material \"" + m.name + "\" (" + error +
                         "; a ramp of its colour is used)");
        return textured_[index] = name;
    }

    std::string ramp(uint32_t index) {
        auto found = ramp_.find(index);
        if (found != ramp_.end())
            return found->second;
        const SourceMaterial& m = model_.materials[index];
        return ramp_[index] = add(m, colourRamp(m.diffuse), "_r");
    }

  private:
    std::string add(const SourceMaterial& m, const Image& image, const char* suffix) {
        tds::MaterialDesc desc;
        desc.name = names_.make(m.name + suffix, "Material");
        desc.ambient = m.ambient;
        desc.diffuse = m.diffuse;
        desc.specular = m.specular;
        desc.mapFile = stem_ + "_" + std::to_string(built_.textures.size()) + ".tga";
        built_.textures.push_back({desc.mapFile, tgaBytes(image)});
        built_.desc.materials.push_back(desc);
        report_.say(format("material \"%s\" <- \"%s\": %s %dx%d", desc.name.c_str(), m.name.c_str(),
                           *suffix ? "colour ramp" : "texture", image.width, image.height));
        return desc.name;
    }

    const Source& source_;
    const SourceModel& model_;
    const ConvertOptions& options_;
    BuiltScene& built_;
    Report& report_;
    std::string stem_;
    NameSet names_{MATERIAL_NAME_LIMIT};
    std::map<uint32_t, std::string> textured_;
    std::map<uint32_t, std::string> ramp_;
};

tds::MeshDesc objectOf(const PlacedMesh& piece, const std::string& name) {
    tds::MeshDesc desc;
    desc.name = name;
    desc.vertices = piece.positions;
    for (const Tri& t : piece.triangles)
        desc.faces.push_back(
            {{static_cast<uint16_t>(t[0]), static_cast<uint16_t>(t[1]), static_cast<uint16_t>(t[2])}});
    for (const Vec2& uv : piece.uvs)
        desc.texCoords.push_back(uv);
    return desc;
}

// One degenerate triangle at the model's centre, textured so that every look holds.
tds::MeshDesc placeholder(const SourceModel& model, const std::string& name, const std::string& material) {
    tds::MeshDesc desc;
    desc.name = name;
    Vec3 centre;
    for (int i = 0; i < 3; ++i)
        centre[i] = (model.boundsMin[i] + model.boundsMax[i]) / 2;
    desc.vertices = {centre, centre, centre};
    desc.faces = {{{0, 1, 2}}};
    desc.texCoords = {{{0.5f, 0.5f}}, {{0.5f, 0.5f}}, {{0.5f, 0.5f}}};
    desc.material = material;
    return desc;
}

void addCamera(const CameraFlight& flight, tds::SceneDesc& desc) {
    tds::CameraDesc camera;
    camera.name = NameSet(OBJECT_NAME_LIMIT).make(flight.name, "Camera");
    camera.position = flight.eyes.front();
    camera.target = flight.targets.front();
    camera.lens = 2400.0f / flight.fovDegrees;
    camera.positionKeys = flight.eyes;
    camera.targetKeys = flight.targets;
    desc.cameras.push_back(camera);
}

// The scene's size against the distances the demo works in: its view's near and far
// planes, and part 6's slide of 850 units.
void reportSize(const SourceModel& model, const Source& source, int part, Report& report) {
    float size[3];
    for (int i = 0; i < 3; ++i)
        size[i] = model.boundsMax[i] - model.boundsMin[i];
    float largest = std::max({size[0], size[1], size[2]});
    report.say(format("size: %.3g x %.3g x %.3g units (a unit of the file is %g m, times --scale)", size[0],
                      size[1], size[2], source.unitMetres));
    if (part == 6)
        report.say(
            format("part 6 slides objects 2 to 12 up through 850 units, %.2g times the scene's largest "
                   "side (--scale sets how far that looks)",
                   850 / std::max(largest, 1e-6f)));
    if (largest > 10000)
        report.say(
            "warning: the demo draws nothing beyond 10000 units from the camera; --scale the scene down");
    else if (largest < 1)
        report.say(
            "warning: the demo cuts what comes nearer the camera than 0.1 units; --scale the scene up");
}

} // namespace

void buildScene(const Source& source, const SourceModel& model, const std::vector<size_t>& order,
                const CameraFlight& flight, const ConvertOptions& options, BuiltScene& built,
                Report& report) {
    MaterialMaker materials(source, model, options, built, report);
    NameSet objectNames(OBJECT_NAME_LIMIT);
    std::vector<std::string> sourceNames; // per object
    for (size_t index : order) {
        const PlacedMesh& mesh = model.meshes[index];
        const SourceMaterial& m = model.materials[mesh.material];
        std::vector<PlacedMesh> pieces = splitMesh(mesh);
        for (size_t p = 0; p < pieces.size(); ++p) {
            PlacedMesh& piece = pieces[p];
            std::string material =
                !m.texture.empty() && !piece.uvs.empty() ? materials.textured(mesh.material) : "";
            if (material.empty() && !m.texture.empty() && piece.uvs.empty() && p == 0)
                report.lose("texture \"" + m.texture + "\" on \"" + mesh.name +
                            "\" (the mesh has no mapping coordinates; a ramp of its colour is used)");
            if (material.empty()) {
                material = materials.ramp(mesh.material);
                piece.uvs = rampCoordinates(piece.normals);
            }
            tds::MeshDesc object = objectOf(piece, objectNames.make(mesh.name, "Object"));
            object.material = material;
            report.say(
                format("object %zu \"%s\" <- \"%s\"%s: %zu vertices, %zu faces, material \"%s\"",
                       built.desc.meshes.size(), object.name.c_str(), mesh.name.c_str(),
                       pieces.size() > 1 ? format(" (piece %zu of %zu)", p + 1, pieces.size()).c_str() : "",
                       object.vertices.size(), object.faces.size(), material.c_str()));
            built.desc.meshes.push_back(std::move(object));
            sourceNames.push_back("\"" + mesh.name + "\"");
        }
    }
    size_t needed = static_cast<size_t>(requiredObjectCount(options.part));
    if (built.desc.meshes.size() < needed) {
        std::string material = materials.ramp(model.meshes.front().material);
        for (size_t i = built.desc.meshes.size(); i < needed; ++i) {
            built.desc.meshes.push_back(
                placeholder(model, objectNames.make(format("Empty%zu", i), "Empty"), material));
            sourceNames.push_back("an empty placeholder");
            report.say(format("object %zu \"%s\": empty placeholder (part %d addresses objects 0 to %zu)", i,
                              built.desc.meshes.back().name.c_str(), options.part, needed - 1));
        }
    }
    addCamera(flight, built.desc);
    reportSize(model, source, options.part, report);
    for (size_t i = 0; i < needed; ++i) {
        report.say(format("object %zu: %s <- %s", i, roleOf(options.part, static_cast<int>(i)).c_str(),
                          sourceNames[i].c_str()));
    }
}

} // namespace convert
