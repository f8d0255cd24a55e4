#include "model_reader.h"

#include <assimp/material.h>
#include <assimp/postprocess.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <cmath>
#include <functional>
#include <set>

namespace convert {

namespace {

aiMatrix4x4 demoSpace(const ConvertOptions& options, double unitMetres) {
    aiMatrix4x4 scale;
    aiMatrix4x4::Scaling(aiVector3D(static_cast<float>(options.scale * unitMetres)), scale);
    if (options.sourceZUp)
        return scale;
    // Y up to Z up: (x, y, z) -> (x, -z, y), a turn of 90 degrees about x.
    aiMatrix4x4 turn(1, 0, 0, 0, 0, 0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 1);
    return turn * scale;
}

Vec3 toVec(const aiVector3D& v) {
    return {{v.x, v.y, v.z}};
}

void growBounds(SourceModel& model, const Vec3& p, bool first) {
    for (int i = 0; i < 3; ++i) {
        model.boundsMin[i] = first ? p[i] : std::min(model.boundsMin[i], p[i]);
        model.boundsMax[i] = first ? p[i] : std::max(model.boundsMax[i], p[i]);
    }
}

// The scene file's faces run clockwise seen from the front (the demo's loader takes
// (C - A) x (B - A) as a face's normal). Assimp gives a .3ds file's faces in the file's
// own order and every other format's counter-clockwise; a mirroring node turns either.
bool reverseFaces(bool threeDs, const aiMatrix4x4& world) {
    return threeDs == (aiMatrix3x3(world).Determinant() < 0);
}

PlacedMesh placeMesh(const aiMesh& mesh, const aiNode& node, const aiMatrix4x4& world, bool reverse) {
    PlacedMesh out;
    out.name = node.mName.length ? node.mName.C_Str() : mesh.mName.C_Str();
    out.sourceMesh = mesh.mName.C_Str();
    out.material = mesh.mMaterialIndex;
    aiMatrix3x3 normalMatrix = aiMatrix3x3(world).Inverse().Transpose();
    out.positions.reserve(mesh.mNumVertices);
    for (unsigned i = 0; i < mesh.mNumVertices; ++i) {
        out.positions.push_back(toVec(world * mesh.mVertices[i]));
        aiVector3D n = mesh.mNormals ? normalMatrix * mesh.mNormals[i] : aiVector3D(0, 0, 1);
        out.normals.push_back(toVec(n.Length() > 0 ? n.Normalize() : aiVector3D(0, 0, 1)));
    }
    if (mesh.HasTextureCoords(0)) {
        for (unsigned i = 0; i < mesh.mNumVertices; ++i)
            out.uvs.push_back({{mesh.mTextureCoords[0][i].x, mesh.mTextureCoords[0][i].y}});
    }
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
        const aiFace& face = mesh.mFaces[f];
        if (face.mNumIndices == 3)
            out.triangles.push_back(
                {{face.mIndices[0], face.mIndices[reverse ? 2 : 1], face.mIndices[reverse ? 1 : 2]}});
    }
    return out;
}

// A colour factor as the 8-bit sRGB colour the scene file holds.
std::array<uint8_t, 3> colour255(const aiColor3D& c, bool linear) {
    auto byte = [linear](float v) {
        double x = std::clamp(static_cast<double>(v), 0.0, 1.0);
        if (linear)
            x = x <= 0.0031308 ? 12.92 * x : 1.055 * std::pow(x, 1 / 2.4) - 0.055;
        return static_cast<uint8_t>(std::lround(x * 255.0));
    };
    return {{byte(c.r), byte(c.g), byte(c.b)}};
}

SourceMaterial readMaterial(const aiMaterial& material, bool linear) {
    SourceMaterial out;
    aiString name;
    if (material.Get(AI_MATKEY_NAME, name) == AI_SUCCESS)
        out.name = name.C_Str();
    aiColor3D colour;
    aiColor4D base;
    if (material.Get(AI_MATKEY_BASE_COLOR, base) == AI_SUCCESS)
        out.diffuse = colour255(aiColor3D(base.r, base.g, base.b), linear);
    else if (material.Get(AI_MATKEY_COLOR_DIFFUSE, colour) == AI_SUCCESS)
        out.diffuse = colour255(colour, linear);
    if (material.Get(AI_MATKEY_COLOR_AMBIENT, colour) == AI_SUCCESS)
        out.ambient = colour255(colour, linear);
    if (material.Get(AI_MATKEY_COLOR_SPECULAR, colour) == AI_SUCCESS)
        out.specular = colour255(colour, linear);
    aiString path;
    if (material.GetTexture(aiTextureType_BASE_COLOR, 0, &path) == AI_SUCCESS ||
        material.GetTexture(aiTextureType_DIFFUSE, 0, &path) == AI_SUCCESS)
        out.texture = path.C_Str();
    return out;
}

// FBX says how many centimetres a unit is; assimp applies Collada's unit itself, and
// glTF is in metres.
double unitMetresOf(const aiScene& scene) {
    double factor = 0;
    float single = 0;
    if (scene.mMetaData && scene.mMetaData->Get("UnitScaleFactor", factor) && factor > 0 && factor < 1e6)
        return factor / 100.0;
    if (scene.mMetaData && scene.mMetaData->Get("UnitScaleFactor", single) && single > 0 && single < 1e6f)
        return single / 100.0;
    return 1.0;
}

// Every map of the material but the one base-colour texture the scene file keeps.
void reportLostMaps(const aiMaterial& material, Report& report) {
    static const struct {
        aiTextureType type;
        const char* what;
    } kinds[] = {{aiTextureType_BASE_COLOR, "base-colour"},
                 {aiTextureType_DIFFUSE, "diffuse"},
                 {aiTextureType_SPECULAR, "specular"},
                 {aiTextureType_AMBIENT, "ambient"},
                 {aiTextureType_EMISSIVE, "emission"},
                 {aiTextureType_HEIGHT, "height"},
                 {aiTextureType_NORMALS, "normal"},
                 {aiTextureType_SHININESS, "shininess"},
                 {aiTextureType_OPACITY, "opacity"},
                 {aiTextureType_DISPLACEMENT, "displacement"},
                 {aiTextureType_LIGHTMAP, "light"},
                 {aiTextureType_REFLECTION, "reflection"},
                 {aiTextureType_METALNESS, "metalness"},
                 {aiTextureType_DIFFUSE_ROUGHNESS, "roughness"},
                 {aiTextureType_AMBIENT_OCCLUSION, "occlusion"},
                 {aiTextureType_UNKNOWN, "other"}};
    aiString kept, name;
    if (material.GetTexture(aiTextureType_BASE_COLOR, 0, &kept) != AI_SUCCESS)
        material.GetTexture(aiTextureType_DIFFUSE, 0, &kept);
    material.Get(AI_MATKEY_NAME, name);
    std::set<std::string> said{kept.C_Str()};
    for (const auto& kind : kinds) {
        for (unsigned n = 0; n < material.GetTextureCount(kind.type); ++n) {
            aiString path;
            if (material.GetTexture(kind.type, n, &path) != AI_SUCCESS || !said.insert(path.C_Str()).second)
                continue;
            report.lose(format("texture \"%s\" of material \"%s\" (a %s map; the demo draws one texture "
                               "per material, its colour map)",
                               path.C_Str(), name.C_Str(), kind.what));
        }
    }
}

} // namespace

bool importSource(const ConvertOptions& options, Source& source, std::string& error) {
    source.importer.SetPropertyInteger(AI_CONFIG_PP_SBP_REMOVE, aiPrimitiveType_POINT | aiPrimitiveType_LINE);
    unsigned flags = aiProcess_Triangulate | aiProcess_JoinIdenticalVertices | aiProcess_GenSmoothNormals |
                     aiProcess_SortByPType;
    source.scene = source.importer.ReadFile(options.input, flags);
    if (!source.scene || !source.scene->mRootNode) {
        error = source.importer.GetErrorString();
        return false;
    }
    std::string ext = std::filesystem::u8path(options.input).extension().u8string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    source.gltf = ext == ".gltf" || ext == ".glb";
    source.threeDs = ext == ".3ds";
    source.unitMetres = unitMetresOf(*source.scene);
    source.toDemo = demoSpace(options, source.unitMetres);
    const aiAnimation* animation = source.scene->mNumAnimations ? source.scene->mAnimations[0] : nullptr;
    source.sampler = std::make_unique<NodeSampler>(*source.scene, animation);
    return true;
}

void readModel(const Source& source, SourceModel& model, Report& report) {
    const aiScene& scene = *source.scene;
    for (unsigned i = 0; i < scene.mNumMaterials; ++i)
        model.materials.push_back(readMaterial(*scene.mMaterials[i], source.gltf));
    if (model.materials.empty())
        model.materials.push_back(
            SourceMaterial{"Default", {{0, 0, 0}}, {{200, 200, 200}}, {{255, 255, 255}}, ""});
    std::function<void(const aiNode&)> visit = [&](const aiNode& node) {
        aiMatrix4x4 world = source.toDemo * source.sampler->world(&node, source.sampler->startSeconds());
        for (unsigned m = 0; m < node.mNumMeshes; ++m) {
            const aiMesh& mesh = *scene.mMeshes[node.mMeshes[m]];
            if (!(mesh.mPrimitiveTypes & aiPrimitiveType_TRIANGLE) || mesh.mNumFaces == 0)
                continue;
            model.meshes.push_back(placeMesh(mesh, node, world, reverseFaces(source.threeDs, world)));
            if (model.meshes.back().material >= model.materials.size())
                model.meshes.back().material = 0;
            if (source.sampler->moves(&node))
                report.lose(
                    "the animation of \"" + model.meshes.back().name +
                    "\" (objects are placed as they stand at the start; the demo moves only its camera)");
        }
        for (unsigned c = 0; c < node.mNumChildren; ++c)
            visit(*node.mChildren[c]);
    };
    visit(*scene.mRootNode);
    bool first = true;
    for (const PlacedMesh& mesh : model.meshes) {
        for (const Vec3& p : mesh.positions) {
            growBounds(model, p, first);
            first = false;
        }
    }
}

void reportLosses(const Source& source, const std::string& flownCamera, Report& report) {
    const aiScene& scene = *source.scene;
    for (unsigned i = 0; i < scene.mNumMaterials; ++i)
        reportLostMaps(*scene.mMaterials[i], report);
    for (unsigned i = 0; i < scene.mNumLights; ++i)
        report.lose(format("light \"%s\" (the demo lights every scene with its own light)",
                           scene.mLights[i]->mName.C_Str()));
    for (unsigned i = 0; i < scene.mNumMeshes; ++i) {
        const aiMesh& mesh = *scene.mMeshes[i];
        if (mesh.HasBones())
            report.lose(format("the skin of mesh \"%s\" (%u bones; drawn in its rest pose)",
                               mesh.mName.C_Str(), mesh.mNumBones));
        if (mesh.mNumAnimMeshes)
            report.lose(format("the morph targets of mesh \"%s\" (%u; drawn in its base shape)",
                               mesh.mName.C_Str(), mesh.mNumAnimMeshes));
    }
    for (unsigned i = 0; i < scene.mNumCameras; ++i) {
        if (flownCamera != scene.mCameras[i]->mName.C_Str())
            report.lose(
                format("camera \"%s\" (the demo flies one camera)", scene.mCameras[i]->mName.C_Str()));
    }
    for (unsigned i = 1; i < scene.mNumAnimations; ++i)
        report.lose(format("animation \"%s\" (only the first animation is baked)",
                           scene.mAnimations[i]->mName.C_Str()));
}

} // namespace convert
