#include "roles.h"

#include "app/timeline.h"
#include "scene/scene.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>

namespace convert {

namespace {

float sizeOf(const PlacedMesh& mesh) {
    if (mesh.positions.empty())
        return 0;
    Vec3 lo = mesh.positions[0], hi = mesh.positions[0];
    for (const Vec3& p : mesh.positions) {
        for (int i = 0; i < 3; ++i) {
            lo[i] = std::min(lo[i], p[i]);
            hi[i] = std::max(hi[i], p[i]);
        }
    }
    return (hi[0] - lo[0]) * (hi[0] - lo[0]) + (hi[1] - lo[1]) * (hi[1] - lo[1]) +
           (hi[2] - lo[2]) * (hi[2] - lo[2]);
}

bool isThreeDs(const std::string& path) {
    std::string ext = std::filesystem::u8path(path).extension().u8string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == ".3ds";
}

std::vector<size_t> defaultOrder(const SourceModel& model, bool fileOrder) {
    std::vector<size_t> order(model.meshes.size());
    std::vector<float> sizes;
    for (size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
        sizes.push_back(sizeOf(model.meshes[i]));
    }
    if (!fileOrder)
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
            const PlacedMesh &x = model.meshes[a], &y = model.meshes[b];
            if (x.name != y.name)
                return x.name < y.name;
            return sizes[a] > sizes[b];
        });
    return order;
}

// The mesh the name means: a node's or a mesh's name, exactly, else ignoring case.
bool findMesh(const SourceModel& model, const std::string& name, size_t& found) {
    auto lower = [](std::string s) {
        std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
        return s;
    };
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t i = 0; i < model.meshes.size(); ++i) {
            const PlacedMesh& m = model.meshes[i];
            bool same = pass == 0 ? (m.name == name || m.sourceMesh == name)
                                  : (lower(m.name) == lower(name) || lower(m.sourceMesh) == lower(name));
            if (same) {
                found = i;
                return true;
            }
        }
    }
    return false;
}

} // namespace

bool orderMeshes(const SourceModel& model, const ConvertOptions& options, std::vector<size_t>& order,
                 std::string& error) {
    std::vector<size_t> rest = defaultOrder(model, isThreeDs(options.input));
    std::vector<size_t> chosen(model.meshes.size(), SIZE_MAX);
    for (const ConvertOptions::Role& role : options.roles) {
        size_t mesh = 0;
        if (!findMesh(model, role.name, mesh)) {
            error = "--role " + std::to_string(role.index) + "=" + role.name +
                    ": the input has no object \"" + role.name + "\"";
            return false;
        }
        if (static_cast<size_t>(role.index) >= chosen.size()) {
            error = "--role " + std::to_string(role.index) + "=" + role.name + ": the input has only " +
                    std::to_string(chosen.size()) + " objects";
            return false;
        }
        if (std::find(chosen.begin(), chosen.end(), mesh) != chosen.end()) {
            error = "--role: \"" + role.name + "\" is given two numbers";
            return false;
        }
        chosen[static_cast<size_t>(role.index)] = mesh;
        rest.erase(std::find(rest.begin(), rest.end(), mesh));
    }
    order.clear();
    size_t next = 0;
    for (size_t slot : chosen)
        order.push_back(slot != SIZE_MAX ? slot : rest[next++]);
    return true;
}

std::string roleOf(int part, int index) {
    if (index >= requiredObjectCount(part))
        return "";
    if (part == 6 && index >= 2)
        return "hidden at first, then slid up textured through the glowing pass, one after another";
    int mode = scriptedRenderMode(part, index);
    if (mode < 0)
        return "the object drawn as it is, smooth, in its own material";
    std::string look;
    if (mode & RENDER_WIREFRAME)
        look = "wireframe";
    if (mode & RENDER_SPHERE_MAP)
        look = "chrome, sphere-mapped";
    if (mode & RENDER_TEXTURED_BLEND)
        look += ", textured-blended";
    if (mode & RENDER_BLEND_ALPHA)
        look += ", see-through";
    if (mode & RENDER_BLEND_ADD)
        look += ", glowing (added onto the picture)";
    if (part == 6 && index == 0)
        look += ", turning 1 degree a pass";
    return "the " + look + " object";
}

} // namespace convert
