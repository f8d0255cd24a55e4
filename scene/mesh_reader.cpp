// Triangle meshes: vertices, faces with their material group, texture coordinates;
// then normals, the texture of the object's material, and the first render mode.
//
// Counts and vertex indices are unsigned 16-bit values (0 to 65535), as the file
// format defines them. A count is bounded by the bytes its chunk holds before
// anything is allocated.
#include "scene/scene_loader.h"

#include "log/log.h"
#include "texture/texture.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint16_t VERTEX_LIST = 0x4110;
constexpr uint16_t FACE_LIST = 0x4120;
constexpr uint16_t FACE_MATERIAL = 0x4130;
constexpr uint16_t TEXTURE_COORDS = 0x4140;
constexpr uint16_t MESH_MATRIX = 0x4160;
constexpr uint16_t MESH_COLOR = 0x4165;
constexpr uint16_t TEXTURE_INFO = 0x4170;

constexpr int64_t VERTEX_SIZE = 12;
constexpr int64_t FACE_SIZE = 8;
constexpr int64_t TEX_COORD_SIZE = 8;
constexpr int64_t NAME_SIZE = 80;

// The value a material gets when its block names no texture map.
constexpr const char* NO_MAP = "No Name";

} // namespace

void SceneLoader::readMesh(int64_t end, const char* name) {
    std::unique_ptr<MeshObject> object = allocateRecord<MeshObject>();
    currentObject = object.get();
    std::strncpy(object->name, name, sizeof object->name - 1);
    object->name[sizeof object->name - 1] = '\0';
    gLog.message(" Found named object: %s \n", object->name);

    walk(end, [this](const ChunkHeader& h) {
        switch (h.id) {
        case VERTEX_LIST:
            readVertexList(h.end);
            break;
        case FACE_LIST:
            readFaceList(h.end);
            break;
        case TEXTURE_COORDS:
            readTexCoords(h.end);
            break;
        case MESH_MATRIX:
            gLog.message("          - Mesh matrix   : %x\n", static_cast<unsigned>(tell()));
            break;
        case MESH_COLOR:
            gLog.message("          - Mesh color    : %x\n", static_cast<unsigned>(tell()));
            break;
        case TEXTURE_INFO:
            gLog.message("          - Texture info  : %x\n", static_cast<unsigned>(tell()));
            break;
        default:
            break;
        }
    });

    object->computeFaceNormals();
    object->computeVertexNormals();

    // Every vertex has a texture coordinate: those the file doesn't give are (0, 0),
    // so drawing may take one per vertex index whatever the mode.
    if (object->texCoordCount < object->vertexCount) {
        std::unique_ptr<TexCoord[]> coords = allocateArray<TexCoord>(object->vertexCount);
        if (object->texCoords)
            std::copy(object->texCoords.get(), object->texCoords.get() + object->texCoordCount, coords.get());
        object->texCoords = std::move(coords);
    }
    object->prepareDrawing();

    if (object->hasTexCoords)
        bindTexture();
    else
        object->renderMode = RENDER_SMOOTH;

    gLog.message(" Insert object to linked list \n");
    scene->addObject(object.release());
}

void SceneLoader::bindTexture() {
    MeshObject* object = currentObject;
    gLog.message("Bind current texture to object\n");
    Material* found = nullptr;
    if (object->material) {
        for (int32_t i = 0; i < materialCount; ++i) {
            if (std::strcmp(materials[i]->name, object->material->name) == 0) {
                found = materials[i];
                break;
            }
        }
    }
    if (!found) {
        // No earlier material block has that name: the object stays untextured and
        // keeps its face-material record.
        gLog.message("[!] Material '%s' not found, object %s left untextured\n",
                     object->material ? object->material->name : "", object->name);
        object->renderMode = RENDER_SMOOTH;
        return;
    }
    object->material = found;
    if (std::strcmp(found->mapFile, NO_MAP) == 0) {
        // The material has no texture map: nothing to load.
        gLog.message("[!] Material '%s' has no texture map, object %s left untextured\n", found->name,
                     object->name);
        object->renderMode = RENDER_SMOOTH;
        return;
    }
    object->renderMode = RENDER_TEXTURED;
    if (loadTextures) {
        if (betweenSteps)
            betweenSteps();
        object->texture = textures.load(found->mapFile);
    }
}

void SceneLoader::readVertexList(int64_t end) {
    MeshObject* object = currentObject;
    ReadBound bound(*this, end);
    uint32_t fileCount = readWord();
    uint32_t count = entriesThatFit(fileCount, VERTEX_SIZE, end);
    object->vertexCount = static_cast<int32_t>(count);
    gLog.message("[-] Found %d vertices\n", object->vertexCount);
    logCut(count, fileCount);
    object->vertices = allocateArray<Vector3>(count);
    for (uint32_t i = 0; i < count; ++i)
        object->vertices[i] = readVector();
}

void SceneLoader::readFaceList(int64_t end) {
    MeshObject* object = currentObject;
    {
        ReadBound bound(*this, end);
        uint32_t fileCount = readWord();
        uint32_t count = entriesThatFit(fileCount, FACE_SIZE, end);
        object->faceCount = static_cast<int32_t>(count);
        gLog.message("[-] Found %d surfaces\n", object->faceCount);
        logCut(count, fileCount);
        object->faces = allocateArray<Face>(count);
        for (uint32_t i = 0; i < count; ++i) {
            Face& face = object->faces[i];
            face.a = readWord();
            face.b = readWord();
            face.c = readWord();
            readWord(); // face flags, not used
        }
    }
    walk(end, [this](const ChunkHeader& h) {
        if (h.id == FACE_MATERIAL)
            readFaceMaterial(h.end);
    });
    gLog.message("[#] Done Face list\n");
}

void SceneLoader::readFaceMaterial(int64_t end) {
    // Only the name is taken: the whole object is drawn with its last group's material.
    Material* material = scene->keepMaterial(allocateRecord<Material>());
    currentObject->material = material;
    ReadBound bound(*this, end);
    readFixedText(material->name, NAME_SIZE);
    gLog.message("[#] Material Name: %s\n", material->name);
}

void SceneLoader::readTexCoords(int64_t end) {
    MeshObject* object = currentObject;
    ReadBound bound(*this, end);
    gLog.message("[-] Found Texture Coords \n");
    object->hasTexCoords = true;
    uint32_t fileCount = readWord();
    uint32_t count = entriesThatFit(fileCount, TEX_COORD_SIZE, end);
    object->texCoordCount = static_cast<int32_t>(count);
    gLog.message("[-] Found %d vertices\n", object->texCoordCount);
    logCut(count, fileCount);
    object->texCoords = allocateArray<TexCoord>(count);
    for (uint32_t i = 0; i < count; ++i) {
        object->texCoords[i].u = readFloat();
        object->texCoords[i].v = readFloat();
    }
    gLog.message("[-] Texture Coords DONE\n");
}
