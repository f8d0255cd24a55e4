#include "scene_summary.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace {

std::string format(const char* fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

std::string format(const char* fmt, ...) {
    char buffer[512];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(buffer, sizeof buffer, fmt, args);
    va_end(args);
    return buffer;
}

std::string jsonVector(const Vector3& v) {
    return "[" + jsonFloat(v.x) + "," + jsonFloat(v.y) + "," + jsonFloat(v.z) + "]";
}

std::string jsonKey(const char* key) {
    return std::string("\"") + key + "\":";
}

// A keyed frame and position: [frame,[x,y,z]].
std::string jsonFrameKeys(const TrackKey* keys, int32_t count) {
    std::string out = "[";
    for (int32_t i = 0; i < count; ++i) {
        if (i)
            out += ",";
        out += "[" + std::to_string(keys[i].frame) + "," + jsonVector(keys[i].position) + "]";
    }
    return out + "]";
}

std::string jsonMaterial(const Material& m) {
    std::string out = "{";
    out += jsonKey("name") + jsonString(m.name);
    out += "," + jsonKey("mapFile") + jsonString(m.mapFile);
    out += "," + jsonKey("ambient255") + jsonVector(m.ambient255);
    out += "," + jsonKey("ambient") + jsonVector(m.ambient);
    out += "," + jsonKey("diffuse255") + jsonVector(m.diffuse255);
    out += "," + jsonKey("diffuse") + jsonVector(m.diffuse);
    out += "," + jsonKey("specular255") + jsonVector(m.specular255);
    out += "," + jsonKey("specular") + jsonVector(m.specular);
    return out + "}";
}

std::string jsonObject(const MeshObject& o, bool detail) {
    std::string out = "{";
    out += jsonKey("name") + jsonString(o.name);
    out += "," + jsonKey("vertexCount") + std::to_string(o.vertexCount);
    out += "," + jsonKey("faceCount") + std::to_string(o.faceCount);
    out += "," + jsonKey("texCoordCount") + std::to_string(o.texCoordCount);
    out += "," + jsonKey("hasTexCoords") + (o.hasTexCoords ? "true" : "false");
    out += "," + jsonKey("renderMode") + std::to_string(o.renderMode);
    out += "," + jsonKey("texture") + std::to_string(o.texture);
    out += "," + jsonKey("material");
    if (o.material)
        out += "{" + jsonKey("name") + jsonString(o.material->name) + "," + jsonKey("mapFile") +
               jsonString(o.material->mapFile) + "}";
    else
        out += "null";
    out += "," + jsonKey("pivot") + jsonVector(o.pivot);
    out += "," + jsonKey("positionKeyCount") + std::to_string(o.positionKeyCount);
    out += "," + jsonKey("rotationKeyCount") + std::to_string(o.rotationKeyCount);
    out += "," + jsonKey("scaleKeyCount") + std::to_string(o.scaleKeyCount);
    out += "," + jsonKey("matrix") + "[";
    for (int i = 0; i < 16; ++i)
        out += (i ? "," : "") + jsonFloat(o.matrix.m[i]);
    out += "]";
    if (detail) {
        out += "," + jsonKey("vertices") + "[";
        for (int32_t i = 0; i < o.vertexCount; ++i)
            out += (i ? "," : "") + jsonVector(o.vertices[i]);
        out += "]," + jsonKey("texCoords") + "[";
        for (int32_t i = 0; i < o.texCoordCount; ++i)
            out += (i ? "," : "") + std::string("[") + jsonFloat(o.texCoords[i].u) + "," +
                   jsonFloat(o.texCoords[i].v) + "]";
        out += "]," + jsonKey("faces") + "[";
        for (int32_t i = 0; i < o.faceCount; ++i) {
            const Face& f = o.faces[i];
            out += (i ? "," : "") + std::string("[") + std::to_string(f.a) + "," + std::to_string(f.b) + "," +
                   std::to_string(f.c) + "," + jsonVector(f.normal) + "]";
        }
        out += "]," + jsonKey("vertexNormals") + "[";
        for (int32_t i = 0; i < o.vertexCount; ++i)
            out += (i ? "," : "") + jsonVector(o.vertexNormals[i]);
        out += "]," + jsonKey("positionKeys") + jsonFrameKeys(o.positionKeys.get(), o.positionKeyCount);
        out += "," + jsonKey("rotationKeys") + "[";
        for (int32_t i = 0; i < o.rotationKeyCount; ++i)
            out += (i ? "," : "") + std::string("[") + jsonFloat(o.rotationKeys[i].rotationAngle) + "," +
                   jsonVector(o.rotationKeys[i].rotationAxis) + "]";
        out += "]," + jsonKey("scaleKeys") + "[";
        for (int32_t i = 0; i < o.scaleKeyCount; ++i)
            out += (i ? "," : "") + jsonVector(o.scaleKeys[i].scale);
        out += "]";
    }
    return out + "}";
}

std::string jsonCamera(const SceneCamera& c, bool detail) {
    std::string out = "{";
    out += jsonKey("position") + jsonVector(c.position);
    out += "," + jsonKey("target") + jsonVector(c.target);
    out += "," + jsonKey("fov") + jsonFloat(c.fov);
    out += "," + jsonKey("positionKeyCount") + std::to_string(c.positionKeyCount);
    out += "," + jsonKey("targetKeyCount") + std::to_string(c.targetKeyCount);
    if (detail) {
        out += "," + jsonKey("positionKeys") + jsonFrameKeys(c.positionKeys.get(), c.positionKeyCount);
        out += "," + jsonKey("targetKeys") + jsonFrameKeys(c.targetKeys.get(), c.targetKeyCount);
    }
    return out + "}";
}

std::string jsonLight(const SceneLight& l) {
    std::string out = "{";
    out += jsonKey("position") + jsonVector(l.position);
    out += "," + jsonKey("spotTarget") + jsonVector(l.spotTarget);
    out += "," + jsonKey("hotspot") + jsonFloat(l.hotspot);
    out += "," + jsonKey("falloff") + jsonFloat(l.falloff);
    return out + "}";
}

std::string textFloat(float v) {
    // One spelling for every NaN: the C libraries disagree on the sign of a negative one.
    if (std::isnan(v))
        return "nan";
    return format("%g", static_cast<double>(v));
}

std::string textVector(const Vector3& v) {
    return "(" + textFloat(v.x) + ", " + textFloat(v.y) + ", " + textFloat(v.z) + ")";
}

void totals(const Scene& scene, long long& vertices, long long& faces) {
    for (int32_t i = 0; i < scene.objectCount; ++i) {
        vertices += scene.objects[i]->vertexCount;
        faces += scene.objects[i]->faceCount;
    }
}

std::string plural(long long n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

} // namespace

std::string jsonFloat(float value) {
    if (std::isnan(value))
        return "\"nan\"";
    if (std::isinf(value))
        return value > 0 ? "\"inf\"" : "\"-inf\"";
    return format("%.9g", static_cast<double>(value));
}

std::string jsonString(const char* text) {
    std::string out = "\"";
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        unsigned char c = *p;
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            out += format("\\u%04x", c);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string renderModeNames(int32_t mode) {
    static const struct {
        int32_t bit;
        const char* name;
    } bits[] = {
        {RENDER_WIREFRAME, "wireframe"},
        {RENDER_FLAT, "flat"},
        {RENDER_SMOOTH, "smooth"},
        {RENDER_TEXTURED, "textured"},
        {RENDER_SPHERE_MAP, "sphere-map"},
        {RENDER_BLEND_ALPHA, "blend-alpha"},
        {RENDER_HIDDEN, "hidden"},
        {RENDER_BLEND_ADD, "blend-add"},
        {RENDER_TEXTURED_BLEND, "textured-blend"},
    };
    std::string out;
    for (const auto& b : bits) {
        if (mode & b.bit)
            out += (out.empty() ? "" : "+") + std::string(b.name);
    }
    return out.empty() ? "none" : out;
}

std::string jsonSummary(const std::string& file, const Scene& scene, const SceneLoader& loader,
                        const SummaryOptions& options) {
    long long vertices = 0, faces = 0;
    totals(scene, vertices, faces);
    std::string out = "{";
    out += jsonKey("file") + jsonString(file.c_str());
    out += "," + jsonKey("name") + jsonString(scene.name);
    out += "," + jsonKey("objectCount") + std::to_string(scene.objectCount);
    out += "," + jsonKey("cameraCount") + std::to_string(scene.cameraCount);
    out += "," + jsonKey("lightCount") + std::to_string(scene.lightCount);
    out += "," + jsonKey("totalVertices") + std::to_string(vertices);
    out += "," + jsonKey("totalFaces") + std::to_string(faces);
    out += "," + jsonKey("materials") + "[";
    for (int32_t i = 0; i < loader.materialCount; ++i)
        out += (i ? "," : "") + jsonMaterial(*loader.materials[i]);
    out += "]," + jsonKey("objects") + "[";
    for (int32_t i = 0; i < scene.objectCount; ++i)
        out += (i ? "," : "") + jsonObject(*scene.objects[i], options.detail);
    out += "]," + jsonKey("cameras") + "[";
    for (int32_t i = 0; i < scene.cameraCount; ++i)
        out += (i ? "," : "") + jsonCamera(*scene.cameras[i], options.detail);
    out += "]," + jsonKey("lights") + "[";
    for (int32_t i = 0; i < scene.lightCount; ++i)
        out += (i ? "," : "") + jsonLight(*scene.lights[i]);
    out += "]}\n";
    return out;
}

std::string textSummary(const std::string& file, const Scene& scene, const SceneLoader& loader,
                        const SummaryOptions&) {
    long long vertices = 0, faces = 0;
    totals(scene, vertices, faces);
    std::string out = file + "\n";
    out += "  " + plural(scene.objectCount, "object", "objects") + ", " +
           plural(scene.cameraCount, "camera", "cameras") + ", " +
           plural(scene.lightCount, "light", "lights") + ", " + plural(vertices, "vertex", "vertices") +
           ", " + plural(faces, "face", "faces") + "\n";

    out += "  materials: " + std::to_string(loader.materialCount) + "\n";
    for (int32_t i = 0; i < loader.materialCount; ++i) {
        const Material& m = *loader.materials[i];
        out += format("    [%d] \"%s\" map \"%s\"\n", i, m.name, m.mapFile);
        out += "        ambient " + textVector(m.ambient255) + ", diffuse " + textVector(m.diffuse255) +
               ", specular " + textVector(m.specular255) + " (0-255)\n";
    }

    out += "  objects: " + std::to_string(scene.objectCount) + "\n";
    for (int32_t i = 0; i < scene.objectCount; ++i) {
        const MeshObject& o = *scene.objects[i];
        out += format("    [%d] \"%s\": ", i, o.name) + plural(o.vertexCount, "vertex", "vertices") + ", " +
               plural(o.faceCount, "face", "faces") + ", " +
               (o.hasTexCoords ? plural(o.texCoordCount, "texture coordinate", "texture coordinates")
                               : std::string("no texture coordinates")) +
               "\n";
        out += format("        mode %d (%s), texture %u, material ", o.renderMode,
                      renderModeNames(o.renderMode).c_str(), o.texture);
        if (o.material)
            out += format("\"%s\" (map \"%s\")", o.material->name, o.material->mapFile);
        else
            out += "none";
        out += "\n        pivot " + textVector(o.pivot) + ", keys: " + std::to_string(o.positionKeyCount) +
               " position, " + std::to_string(o.rotationKeyCount) + " rotation, " +
               std::to_string(o.scaleKeyCount) + " scale\n";
    }

    out += "  cameras: " + std::to_string(scene.cameraCount) + "\n";
    for (int32_t i = 0; i < scene.cameraCount; ++i) {
        const SceneCamera& c = *scene.cameras[i];
        out += format("    [%d] position ", i) + textVector(c.position) + ", target " + textVector(c.target) +
               ", field of view " + textFloat(c.fov) + " degrees\n";
        out += "        keys: " + std::to_string(c.positionKeyCount) + " position, " +
               std::to_string(c.targetKeyCount) + " target\n";
    }

    out += "  lights: " + std::to_string(scene.lightCount) + "\n";
    for (int32_t i = 0; i < scene.lightCount; ++i) {
        const SceneLight& l = *scene.lights[i];
        out += format("    [%d] position ", i) + textVector(l.position);
        out += ", spot target " + textVector(l.spotTarget) + ", hotspot " + textFloat(l.hotspot) +
               ", falloff " + textFloat(l.falloff) + "\n";
    }
    return out;
}
