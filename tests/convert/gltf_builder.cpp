#include "gltf_builder.h"

#include <cstring>
#include <fstream>

namespace {

std::string base64(const std::vector<uint8_t>& bytes) {
    static const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t v = bytes[i] << 16 | (i + 1 < bytes.size() ? bytes[i + 1] << 8 : 0) |
                     (i + 2 < bytes.size() ? bytes[i + 2] : 0);
        out += digits[v >> 18 & 63];
        out += digits[v >> 12 & 63];
        out += i + 1 < bytes.size() ? digits[v >> 6 & 63] : '=';
        out += i + 2 < bytes.size() ? digits[v & 63] : '=';
    }
    return out;
}

std::string list(const std::vector<std::string>& items) {
    std::string out;
    for (size_t i = 0; i < items.size(); ++i)
        out += (i ? "," : "") + items[i];
    return out;
}

// The binary buffer with one view and accessor per array added.
struct Buffers {
    std::vector<uint8_t> data;
    std::vector<std::string> views, accessors;

    template <typename T>
    int add(const T* values, size_t count, int componentType, const char* type, size_t width,
            const std::string& minMax = "") {
        size_t offset = data.size();
        data.resize(offset + count * width * sizeof(T));
        std::memcpy(data.data() + offset, values, count * width * sizeof(T));
        while (data.size() % 4)
            data.push_back(0);
        views.push_back("{\"buffer\":0,\"byteOffset\":" + std::to_string(offset) +
                        ",\"byteLength\":" + std::to_string(count * width * sizeof(T)) + "}");
        accessors.push_back("{\"bufferView\":" + std::to_string(views.size() - 1) + ",\"componentType\":" +
                            std::to_string(componentType) + ",\"count\":" + std::to_string(count) +
                            ",\"type\":\"" + type + "\"" + minMax + "}");
        return static_cast<int>(accessors.size() - 1);
    }
};

std::string vec(const std::array<float, 3>& v) {
    return "[" + std::to_string(v[0]) + "," + std::to_string(v[1]) + "," + std::to_string(v[2]) + "]";
}

std::string bounds(const std::vector<std::array<float, 3>>& p) {
    std::array<float, 3> lo = p[0], hi = p[0];
    for (const auto& v : p)
        for (int i = 0; i < 3; ++i)
            lo[i] = std::min(lo[i], v[i]), hi[i] = std::max(hi[i], v[i]);
    return ",\"min\":" + vec(lo) + ",\"max\":" + vec(hi);
}

std::string primitive(const GltfMesh& m, Buffers& b) {
    std::string attributes = "\"POSITION\":" + std::to_string(b.add(m.positions[0].data(), m.positions.size(),
                                                                    5126, "VEC3", 3, bounds(m.positions)));
    if (!m.uvs.empty())
        attributes +=
            ",\"TEXCOORD_0\":" + std::to_string(b.add(m.uvs[0].data(), m.uvs.size(), 5126, "VEC2", 2));
    if (m.skinned) {
        std::vector<uint8_t> joints(m.positions.size() * 4, 0);
        std::vector<float> weights(m.positions.size() * 4, 0.0f);
        for (size_t i = 0; i < m.positions.size(); ++i)
            weights[i * 4] = 1.0f;
        attributes +=
            ",\"JOINTS_0\":" + std::to_string(b.add(joints.data(), m.positions.size(), 5121, "VEC4", 4));
        attributes +=
            ",\"WEIGHTS_0\":" + std::to_string(b.add(weights.data(), m.positions.size(), 5126, "VEC4", 4));
    }
    int indices = b.add(m.indices.data(), m.indices.size(), 5125, "SCALAR", 1);
    return "{\"attributes\":{" + attributes + "},\"indices\":" + std::to_string(indices) + ",\"material\":0}";
}

std::string cameraAnimation(const GltfScene& s, int node, Buffers& b) {
    float last = s.keyTimes.back();
    int input =
        b.add(s.keyTimes.data(), s.keyTimes.size(), 5126, "SCALAR", 1,
              ",\"min\":[" + std::to_string(s.keyTimes[0]) + "],\"max\":[" + std::to_string(last) + "]");
    int output = b.add(s.keyTranslations[0].data(), s.keyTranslations.size(), 5126, "VEC3", 3);
    std::string samplers = "{\"input\":" + std::to_string(input) + ",\"output\":" + std::to_string(output) +
                           ",\"interpolation\":\"LINEAR\"}";
    std::string channels =
        "{\"sampler\":0,\"target\":{\"node\":" + std::to_string(node) + ",\"path\":\"translation\"}}";
    if (!s.keyRotations.empty()) {
        int turns = b.add(s.keyRotations[0].data(), s.keyRotations.size(), 5126, "VEC4", 4);
        samplers += ",{\"input\":" + std::to_string(input) + ",\"output\":" + std::to_string(turns) +
                    ",\"interpolation\":\"LINEAR\"}";
        channels +=
            ",{\"sampler\":1,\"target\":{\"node\":" + std::to_string(node) + ",\"path\":\"rotation\"}}";
    }
    return "[{\"name\":\"Flight\",\"samplers\":[" + samplers + "],\"channels\":[" + channels + "]}]";
}

std::string material(const GltfScene& s) {
    std::string pbr = "\"baseColorFactor\":[" + std::to_string(s.baseColour[0]) + "," +
                      std::to_string(s.baseColour[1]) + "," + std::to_string(s.baseColour[2]) + "," +
                      std::to_string(s.baseColour[3]) + "]";
    if (!s.textureUri.empty())
        pbr += ",\"baseColorTexture\":{\"index\":0}";
    return "[{\"name\":\"Paint\",\"pbrMetallicRoughness\":{" + pbr + "}}]";
}

} // namespace

std::string GltfScene::json() const {
    Buffers b;
    std::vector<std::string> meshJson, nodes, roots;
    bool anySkin = false;
    for (const GltfMesh& m : meshes) {
        meshJson.push_back("{\"name\":\"" + m.name + "\",\"primitives\":[" + primitive(m, b) + "]}");
        std::string node = "{\"name\":\"" + m.name + "\",\"mesh\":" + std::to_string(meshJson.size() - 1) +
                           ",\"translation\":" + vec(m.translation);
        anySkin |= m.skinned;
        nodes.push_back(node + (m.skinned ? ",\"skin\":0}" : "}"));
        roots.push_back(std::to_string(nodes.size() - 1));
    }
    std::string extra;
    if (anySkin) {
        nodes.push_back("{\"name\":\"Bone\"}");
        roots.push_back(std::to_string(nodes.size() - 1));
        const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
        int inverse = b.add(identity, 1, 5126, "MAT4", 16);
        extra += ",\"skins\":[{\"inverseBindMatrices\":" + std::to_string(inverse) + ",\"joints\":[" +
                 std::to_string(nodes.size() - 1) + "]}]";
    }
    if (camera) {
        nodes.push_back("{\"name\":\"Eye\",\"camera\":0,\"translation\":" + vec(cameraAt) + "}");
        roots.push_back(std::to_string(nodes.size() - 1));
        extra += ",\"cameras\":[{\"name\":\"Eye\",\"type\":\"perspective\",\"perspective\":{\"yfov\":" +
                 std::to_string(yfov) + ",\"aspectRatio\":" + std::to_string(aspectRatio) +
                 ",\"znear\":0.1,\"zfar\":1000}}]";
        if (!keyTimes.empty())
            extra += ",\"animations\":" + cameraAnimation(*this, static_cast<int>(nodes.size() - 1), b);
    }
    for (const auto& empty : empties) {
        nodes.push_back("{\"name\":\"" + empty.first + "\",\"translation\":" + vec(empty.second) + "}");
        roots.push_back(std::to_string(nodes.size() - 1));
    }
    if (light) {
        nodes.push_back("{\"name\":\"Lamp\",\"extensions\":{\"KHR_lights_punctual\":{\"light\":0}}}");
        roots.push_back(std::to_string(nodes.size() - 1));
        extra += ",\"extensionsUsed\":[\"KHR_lights_punctual\"],\"extensions\":{\"KHR_lights_punctual\":{"
                 "\"lights\":"
                 "[{\"name\":\"Lamp\",\"type\":\"point\"}]}}";
    }
    if (!textureUri.empty())
        extra += ",\"images\":[{\"uri\":\"" + textureUri + "\"}],\"textures\":[{\"source\":0}]";
    return "{\"asset\":{\"version\":\"2.0\"},\"scene\":0,\"scenes\":[{\"nodes\":[" + list(roots) +
           "]}],\"nodes\":[" + list(nodes) + "],\"meshes\":[" + list(meshJson) +
           "],\"materials\":" + material(*this) + ",\"accessors\":[" + list(b.accessors) +
           "],\"bufferViews\":[" + list(b.views) +
           "],\"buffers\":[{\"byteLength\":" + std::to_string(b.data.size()) +
           ",\"uri\":\"data:application/octet-stream;base64," + base64(b.data) + "\"}]" + extra + "}";
}

GltfMesh gridCube(const std::string& name, int n) {
    GltfMesh m;
    m.name = name;
    for (int face = 0; face < 6; ++face) {
        int axis = face / 2;
        float side = face % 2 ? 0.5f : -0.5f;
        uint32_t base = static_cast<uint32_t>(m.positions.size());
        for (int j = 0; j <= n; ++j) {
            for (int i = 0; i <= n; ++i) {
                std::array<float, 3> p;
                p[axis] = side;
                p[(axis + 1) % 3] = static_cast<float>(i) / n - 0.5f;
                p[(axis + 2) % 3] = static_cast<float>(j) / n - 0.5f;
                m.positions.push_back(p);
                m.uvs.push_back({{static_cast<float>(i) / n, static_cast<float>(j) / n}});
            }
        }
        for (int j = 0; j < n; ++j) {
            for (int i = 0; i < n; ++i) {
                uint32_t a = base + j * (n + 1) + i, b = a + 1, c = a + n + 1, d = c + 1;
                bool flip = face % 2 == 0;
                for (uint32_t v :
                     flip ? std::vector<uint32_t>{a, c, b, b, c, d} : std::vector<uint32_t>{a, b, c, b, d, c})
                    m.indices.push_back(v);
            }
        }
    }
    return m;
}

void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}
