#include "scene_requirements.h"

#include "app/part_lens.h"
#include "app/timeline.h"
#include "scene_summary.h"

#include <cmath>
#include <cstdio>

const int32_t SHOWN_PARTS[5] = {1, 2, 3, 5, 6};

namespace {

std::string ok(const std::string& text) {
    return "ok: " + text;
}
std::string warning(const std::string& text) {
    return "warning: " + text;
}
std::string problem(const std::string& text) {
    return "problem: " + text;
}

std::string seconds(int32_t passes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", passes / 50.0);
    return text;
}

// A placeholder has faces, all of them without area.
bool isPlaceholder(const MeshObject& o) {
    for (int32_t i = 0; i < o.faceCount; ++i) {
        const Face& f = o.faces[i];
        if (f.a < 0 || f.b < 0 || f.c < 0 || f.a >= o.vertexCount || f.b >= o.vertexCount ||
            f.c >= o.vertexCount)
            continue;
        Vector3 u, v;
        o.vertices[f.b].subtract(o.vertices[f.a], u);
        o.vertices[f.c].subtract(o.vertices[f.a], v);
        Vector3 n(u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x);
        if (n.x != 0 || n.y != 0 || n.z != 0)
            return false;
    }
    return o.faceCount > 0;
}

// The view the part plays: camera 0's field of view and the part's widening on top.
void checkFieldOfView(const SceneCamera& camera, int32_t part, std::vector<std::string>& lines) {
    float widening = partFovWidening(part);
    float total = camera.fov + widening;
    char text[200];
    std::snprintf(text, sizeof text,
                  "camera 0's field of view %.1f degrees and part %d's widening of %.0f: the part plays %.1f",
                  static_cast<double>(camera.fov), part, static_cast<double>(widening),
                  static_cast<double>(total));
    if (!(total < FLIPPING_FOV) || !(camera.fov > 0))
        lines.push_back(problem(std::string(text) +
                                "; at 180 degrees or more the picture turns upside down: lengthen the "
                                "camera's lens (quarn-convert chooses one)"));
    else if (total > WIDE_FOV_WARNING)
        lines.push_back(warning(std::string(text) +
                                ", near the 180 where the picture turns upside down and stretched at the "
                                "edges: lengthen the camera's lens"));
    else
        lines.push_back(ok(text));
}

// The frames the viewer sees of a part, as the timeline counts them: a part of n
// steps shows n - 1, because the pass of its last step shows the next part's first.
int32_t presentedPasses(int32_t part, int32_t keys) {
    return part == 6 ? FINALE_PASSES - 1 : part == 1 ? (keys + 1) / 2 - 1 : keys - 1;
}

std::string demoLengthNote(int32_t part, int32_t keys) {
    // Camera 0's key counts of the shipped scenes, by part number.
    static const int32_t SHIPPED_KEYS[7] = {0, 2500, 2000, 1750, 0, 2000, 0};
    int32_t shipped = 0, replaced = 0;
    for (int32_t p : SHOWN_PARTS) {
        shipped += presentedPasses(p, SHIPPED_KEYS[p]);
        replaced += presentedPasses(p, p == part ? keys : SHIPPED_KEYS[p]);
    }
    if (part == 6)
        return "the whole demo stays " + seconds(shipped) + " long: part 6's length is the script's own";
    int32_t change = replaced - shipped;
    return "the whole demo runs " + seconds(replaced) + " with this scene as part " + std::to_string(part) +
           (change == 0 ? ", as long as with the shipped scene"
            : change > 0
                ? ", " + seconds(change) + " longer than with the shipped scene (" + seconds(shipped) + ")"
                : ", " + seconds(-change) + " shorter than with the shipped scene (" + seconds(shipped) +
                      ")");
}

void checkCamera(const Scene& scene, int32_t part, std::vector<std::string>& lines) {
    if (scene.cameraCount < 1) {
        lines.push_back(problem("camera 0: the scene has no camera; add one (quarn-convert bakes one)"));
        return;
    }
    const SceneCamera& camera = *scene.cameras[0];
    checkFieldOfView(camera, part, lines);
    int32_t keys = camera.positionKeyCount;
    if (keys < 1) {
        lines.push_back(
            problem("camera 0 has no position keys; animate it, or bake its flight with quarn-convert"));
        return;
    }
    int32_t passes = presentedPasses(part, keys);
    std::string text = "camera 0 has " + std::to_string(keys) + " position keys: part " +
                       std::to_string(part) + " runs " + std::to_string(passes) + " passes (" +
                       seconds(passes) + ")" +
                       (part == 1   ? ", two keys a pass"
                        : part == 6 ? ", standing at key 0"
                                    : ", one key a pass") +
                       "; " + demoLengthNote(part, keys);
    if (part != 6 && passes < 50)
        lines.push_back(warning(text +
                                "; the script takes one key per pass without interpolating, so bake one "
                                "key per pass (quarn-convert does)"));
    else
        lines.push_back(ok(text));
}

std::string lookOf(int32_t part, int32_t index, int32_t mode) {
    std::string look = "drawn " + renderModeNames(mode);
    if (scriptedRenderMode(part, index) < 0)
        look += " as loaded";
    if (part == 6 && index == 0)
        look += ", turning 1 degree a pass";
    if (part == 6 && index >= 2)
        look = "hidden, then slid up through the additive pass, textured";
    return look;
}

void checkObject(const MeshObject& o, int32_t part, int32_t index, bool texturesLoaded,
                 std::vector<std::string>& lines) {
    int32_t mode = scriptedRenderMode(part, index);
    if (mode < 0)
        mode = o.renderMode;
    std::string what =
        "object " + std::to_string(index) + " \"" + o.name + "\" (" + lookOf(part, index, mode) + ")";
    bool sliding = part == 6 && index >= 2;
    bool textured = sliding || (mode & (RENDER_TEXTURED | RENDER_TEXTURED_BLEND)) != 0;
    if (o.faceCount < 1)
        lines.push_back(problem(what + " has no faces; give it a mesh"));
    else if (isPlaceholder(o))
        lines.push_back(warning(what + " is an empty placeholder; nothing of it shows"));
    else if (sliding && !o.hasTexCoords)
        lines.push_back(problem(what + " has no mapping coordinates; unwrap it before exporting"));
    else if (textured && texturesLoaded && o.texture == 0)
        lines.push_back(problem(what +
                                " has no texture that loads; give its material a TGA or baseline JPEG map "
                                "(power-of-two sides, at most 1024) beside the scene"));
    else
        lines.push_back(ok(what));
}

} // namespace

bool checkScene(const Scene& scene, int32_t part, std::vector<std::string>& lines, bool texturesLoaded) {
    size_t first = lines.size();
    checkCamera(scene, part, lines);
    int32_t needed = requiredObjectCount(part);
    if (scene.objectCount < needed)
        lines.push_back(problem("objects: part " + std::to_string(part) + " addresses objects 0 to " +
                                std::to_string(needed - 1) + ", the scene has " +
                                std::to_string(scene.objectCount) +
                                "; add objects (quarn-convert fills in placeholders)"));
    else
        lines.push_back(ok("objects: " + std::to_string(scene.objectCount) + ", part " +
                           std::to_string(part) + " addresses 0 to " + std::to_string(needed - 1)));
    for (int32_t i = 0; i < needed && i < scene.objectCount; ++i)
        checkObject(*scene.objects[i], part, i, texturesLoaded, lines);
    if (!texturesLoaded)
        lines.push_back(warning("textures were not read (--no-textures): whether they load is not checked"));
    for (size_t i = first; i < lines.size(); ++i) {
        if (lines[i].compare(0, 9, "problem: ") == 0)
            return false;
    }
    return true;
}

std::string checkVerdict(const std::string& file, int32_t part, bool passed,
                         const std::vector<std::string>& lines, bool json) {
    if (!json) {
        std::string out = file + ": part " + std::to_string(part) + (passed ? ": ok\n" : ": not usable\n");
        for (const std::string& line : lines)
            out += "  " + line + "\n";
        return out;
    }
    std::string out = "{\"file\":" + jsonString(file.c_str()) + ",\"part\":" + std::to_string(part) +
                      ",\"ok\":" + (passed ? "true" : "false") + ",\"requirements\":[";
    for (size_t i = 0; i < lines.size(); ++i) {
        size_t colon = lines[i].find(": ");
        out += (i ? "," : "") + std::string("{\"status\":") + jsonString(lines[i].substr(0, colon).c_str()) +
               ",\"text\":" + jsonString(lines[i].substr(colon + 2).c_str()) + "}";
    }
    return out + "]}\n";
}
