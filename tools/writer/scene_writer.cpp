#include "scene_writer.h"

#include <algorithm>
#include <stdexcept>

namespace tds {

namespace {

Chunk color24(uint16_t id, const std::array<uint8_t, 3>& rgb) {
    Chunk c(id);
    c.add(0x0011).u8(rgb[0]).u8(rgb[1]).u8(rgb[2]);
    return c;
}

// A list count of the file format: an unsigned 16-bit value.
uint16_t count16(size_t n, const char* what) {
    if (n > 0xFFFF)
        throw std::length_error(std::string("3DS lists hold at most 65535 entries: ") + what);
    return static_cast<uint16_t>(n);
}

} // namespace

Chunk nodeHeader(const std::string& name, uint16_t parent) {
    Chunk h(0xB010);
    h.str(name);
    h.u16(0x4000).u16(0).u16(parent);
    return h;
}

Chunk materialChunk(const MaterialDesc& m) {
    Chunk block(0xAFFF);
    block.add(0xA000).str(m.name);
    block.add(color24(0xA010, m.ambient));
    block.add(color24(0xA020, m.diffuse));
    block.add(color24(0xA030, m.specular));
    if (!m.mapFile.empty()) {
        Chunk map(0xA200);
        map.add(0x0030).u16(100); // amount, as modelling tools write it
        map.add(0xA300).str(m.mapFile);
        block.add(map);
    }
    return block;
}

Chunk meshObjectChunk(const MeshDesc& m) {
    Chunk object(0x4000);
    object.str(m.name);
    Chunk mesh(0x4100);
    Chunk& vertices = mesh.add(0x4110);
    vertices.u16(count16(m.vertices.size(), "vertices"));
    for (const Vec3& v : m.vertices)
        vertices.vec(v[0], v[1], v[2]);
    if (!m.texCoords.empty()) {
        Chunk& coords = mesh.add(0x4140);
        coords.u16(count16(m.texCoords.size(), "texture coordinates"));
        for (const auto& uv : m.texCoords)
            coords.f32(uv[0]).f32(uv[1]);
    }
    Chunk& matrix = mesh.add(0x4160);
    const float identity[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
    for (float f : identity)
        matrix.f32(f);
    Chunk faces(0x4120);
    faces.u16(count16(m.faces.size(), "faces"));
    for (const auto& f : m.faces)
        faces.u16(f[0]).u16(f[1]).u16(f[2]).u16(7);
    if (!m.material.empty()) {
        Chunk& group = faces.add(0x4130);
        group.str(m.material);
        group.u16(static_cast<uint16_t>(m.faces.size()));
        for (size_t i = 0; i < m.faces.size(); ++i)
            group.u16(static_cast<uint16_t>(i));
    }
    mesh.add(faces);
    object.add(mesh);
    return object;
}

Chunk cameraObjectChunk(const CameraDesc& c) {
    Chunk object(0x4000);
    object.str(c.name);
    Chunk& camera = object.add(0x4700);
    camera.vec(c.position[0], c.position[1], c.position[2]);
    camera.vec(c.target[0], c.target[1], c.target[2]);
    camera.f32(c.bank).f32(c.lens);
    camera.add(0x4720).f32(1.0f).f32(10000.0f); // camera ranges
    return object;
}

Chunk lightObjectChunk(const LightDesc& l) {
    Chunk object(0x4000);
    object.str(l.name);
    Chunk& light = object.add(0x4600);
    light.vec(l.position[0], l.position[1], l.position[2]);
    light.add(0x0010).f32(1.0f).f32(1.0f).f32(1.0f);
    if (l.spot) {
        Chunk& spot = light.add(0x4610);
        spot.vec(l.spotTarget[0], l.spotTarget[1], l.spotTarget[2]).f32(l.hotspot).f32(l.falloff);
    }
    return object;
}

Chunk trackChunk(uint16_t id, const std::vector<KeyDesc>& keys) {
    Chunk track(id);
    track.u16(0).u32(0).u32(0).u32(static_cast<uint32_t>(keys.size()));
    for (const KeyDesc& key : keys) {
        track.u32(key.frame).u16(key.flags);
        size_t next = 0;
        for (int bit = 0; bit < 5; ++bit) {
            if (key.flags & (1u << bit)) {
                track.f32(next < key.spline.size() ? key.spline[next] : 0.0f);
                ++next;
            }
        }
        for (float v : key.values)
            track.f32(v);
    }
    return track;
}

Chunk positionTrack(const std::vector<Vec3>& keys) {
    std::vector<KeyDesc> k(keys.size());
    for (size_t i = 0; i < keys.size(); ++i) {
        k[i].frame = static_cast<uint32_t>(i);
        k[i].values = {keys[i][0], keys[i][1], keys[i][2]};
    }
    return trackChunk(0xB020, k);
}

Chunk rotationTrack(const std::vector<RotationKey>& keys) {
    std::vector<KeyDesc> k(keys.size());
    for (size_t i = 0; i < keys.size(); ++i) {
        k[i].frame = static_cast<uint32_t>(i);
        k[i].values = {keys[i].angle, keys[i].axis[0], keys[i].axis[1], keys[i].axis[2]};
    }
    return trackChunk(0xB021, k);
}

Chunk scaleTrack(const std::vector<Vec3>& keys) {
    std::vector<KeyDesc> k(keys.size());
    for (size_t i = 0; i < keys.size(); ++i) {
        k[i].frame = static_cast<uint32_t>(i);
        k[i].values = {keys[i][0], keys[i][1], keys[i][2]};
    }
    return trackChunk(0xB022, k);
}

Chunk keyframerChunk(const SceneDesc& scene) {
    Chunk kf(0xB000);
    kf.add(0xB00A).u16(5).str("VORNIKKF").u32(100);
    uint32_t frames = 1;
    for (const CameraDesc& c : scene.cameras)
        frames = std::max<uint32_t>(frames, static_cast<uint32_t>(c.positionKeys.size()));
    kf.add(0xB008).u32(0).u32(frames);
    if (scene.currentFrame)
        kf.add(0xB009).u32(0);
    uint16_t nodeId = 0;
    for (const MeshDesc& m : scene.meshes) {
        Chunk node(0xB002);
        node.add(0xB030).u16(nodeId++);
        node.add(nodeHeader(m.name));
        node.add(0xB013).vec(m.pivot[0], m.pivot[1], m.pivot[2]);
        if (!m.positionKeys.empty())
            node.add(positionTrack(m.positionKeys));
        if (!m.rotationKeys.empty())
            node.add(rotationTrack(m.rotationKeys));
        if (!m.scaleKeys.empty())
            node.add(scaleTrack(m.scaleKeys));
        kf.add(node);
    }
    for (const CameraDesc& c : scene.cameras) {
        Chunk node(0xB003);
        node.add(0xB030).u16(nodeId++);
        node.add(nodeHeader(c.name));
        node.add(positionTrack(c.positionKeys.empty() ? std::vector<Vec3>{c.position} : c.positionKeys));
        kf.add(node);
        Chunk target(0xB004);
        target.add(0xB030).u16(nodeId++);
        target.add(nodeHeader(c.name + ".Target"));
        target.add(positionTrack(c.targetKeys.empty() ? std::vector<Vec3>{c.target} : c.targetKeys));
        kf.add(target);
    }
    for (const LightDesc& l : scene.lights) {
        // Omni lights have one node; a spotlight has its node and its target's.
        Chunk node(l.spot ? 0xB007 : 0xB005);
        node.add(0xB030).u16(nodeId++);
        node.add(nodeHeader(l.name));
        node.add(positionTrack(l.positionKeys.empty() ? std::vector<Vec3>{l.position} : l.positionKeys));
        kf.add(node);
        if (l.spot) {
            Chunk target(0xB006);
            target.add(0xB030).u16(nodeId++);
            target.add(nodeHeader(l.name + ".Target"));
            target.add(positionTrack({l.spotTarget}));
            kf.add(target);
        }
    }
    return kf;
}

Chunk sceneChunk(const SceneDesc& scene) {
    Chunk main(0x4D4D);
    main.add(0x0002).u32(3);
    Chunk editor(0x3D3D);
    editor.add(0x3D3E).u32(3); // mesh version
    for (const MaterialDesc& m : scene.materials)
        editor.add(materialChunk(m));
    editor.add(0x0100).f32(1.0f); // master scale
    for (const MeshDesc& m : scene.meshes)
        editor.add(meshObjectChunk(m));
    for (const CameraDesc& c : scene.cameras)
        editor.add(cameraObjectChunk(c));
    for (const LightDesc& l : scene.lights)
        editor.add(lightObjectChunk(l));
    main.add(editor);
    if (scene.keyframer)
        main.add(keyframerChunk(scene));
    return main;
}

} // namespace tds
