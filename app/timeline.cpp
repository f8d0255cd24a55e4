#include "app/timeline.h"

#include "app/blend.h"
#include "app/demo_light.h"
#include "log/log.h"
#include "render/renderer.h"
#include "scene/scene.h"

#include <cmath>

namespace {

struct ModeSetting {
    int32_t part;
    int32_t firstObject;
    int32_t lastObject;
    int32_t renderMode;
};

// The looks the script gives chosen objects; others keep the loader's mode.
const ModeSetting RENDER_MODE_TABLE[] = {
    {1, 0, 0, RENDER_WIREFRAME | RENDER_BLEND_ALPHA},                        // 33
    {2, 1, 1, RENDER_TEXTURED | RENDER_SPHERE_MAP | RENDER_BLEND_ADD},       // 280
    {3, 0, 0, RENDER_WIREFRAME | RENDER_BLEND_ALPHA},                        // 33
    {3, 1, 1, RENDER_TEXTURED_BLEND | RENDER_SPHERE_MAP | RENDER_BLEND_ADD}, // 784
    {3, 2, 3, RENDER_WIREFRAME | RENDER_BLEND_ALPHA},                        // 33
    {5, 0, 0, RENDER_TEXTURED | RENDER_SPHERE_MAP},                          // 24
    {5, 1, 3, RENDER_WIREFRAME | RENDER_BLEND_ALPHA},                        // 33
    {6, 0, 1, RENDER_TEXTURED | RENDER_SPHERE_MAP | RENDER_BLEND_ALPHA},     // 56
    {6, 2, 12, RENDER_HIDDEN},                                               // 64
};

// Objects 2 to 12 of scene 6 slide through the additive pass, one after another.
constexpr int32_t FIRST_SLIDING_OBJECT = 2;
constexpr int32_t LAST_SLIDING_OBJECT = 12;
constexpr int32_t SLIDE_STEP = 6;
constexpr int32_t SLIDE_END = 850;
constexpr int32_t SCRIPT_END_OBJECT = 14;

// The ambient colour of the parts numbered 1, 3 and 5 for frame f: (0.2 cos a, 0.2 cos a, blue sin a)
// with a = 0.01 f, computed in double precision and stored as floats.
Vector3 ambientOfFrame(int32_t f, double blue) {
    double a = 0.01 * f;
    return Vector3(static_cast<float>(0.2 * std::cos(a)), static_cast<float>(0.2 * std::cos(a)),
                   static_cast<float>(blue * std::sin(a)));
}

SceneCamera& cameraOf(const Scene& scene) {
    return *scene.cameras[0];
}

void switchFogOn() {
    const float colour[4] = {0.3f, 0.0f, 0.0f, 0.0f};
    activeRenderer().setFogParameters(colour, 0.01f);
}

} // namespace

Scene* Timeline::sceneOfPart(int32_t partNumber) const {
    switch (partNumber) {
    case 1:
        return scene1;
    case 2:
        return scene2;
    case 3:
        return scene3;
    case 5:
        return scene5;
    case 6:
        return scene6;
    default:
        return nullptr;
    }
}

void Timeline::setUp() {
    light->setAmbient(Vector3(0.0f, 0.0f, 0.1f));
    light->setDiffuse(Vector3(0.0f, 0.0f, 0.1f));
    // The first colours go through whatever model-view matrix is current now.
    light->placement = activeRenderer().currentView();
    light->send();
    part = 1;
    frame = 0;
    fovOffset = 0.0f;
    slideDistance = 0;
    slideObject = FIRST_SLIDING_OBJECT;
    before = latest = PassPicture();
    coveredCount = 0;
    if (onlyPart > 1) {
        switchAfter(onlyPart == 5 ? 3 : onlyPart == 6 ? 5 : onlyPart - 1);
        frame = 0;
    }
    for (const ModeSetting& setting : RENDER_MODE_TABLE) {
        Scene* scene = sceneOfPart(setting.part);
        if (!scene)
            continue;
        for (int32_t i = setting.firstObject; i <= setting.lastObject && i < scene->objectCount; ++i)
            scene->objects[i]->renderMode = setting.renderMode;
    }
    if (scene6 && scene6->objectCount > 0)
        turn = scene6->objects[0]->matrix;
}

bool Timeline::advance() {
    before = latest;
    coveredCount = 0;
    capturesThisPass_ = 0;
    return advancePart();
}

bool Timeline::step() {
    bool ended = advance();
    draw(1.0f);
    light->send();
    return ended;
}

bool Timeline::advancePart() {
    return part == 6 ? stepFinale() : stepFlight();
}

PassPicture& Timeline::capture(const Scene& scene) {
    // A further picture in one pass is a part switch: the one before is covered.
    if (capturesThisPass_++ > 0 && coveredCount < 4)
        covered[coveredCount++] = latest;
    const SceneCamera& camera = cameraOf(scene);
    latest.part = part;
    latest.fov = fovOffset + camera.fov;
    latest.eye = camera.positionKeys[frame].position;
    latest.target = camera.target;
    latest.light = *light;
    latest.slideObject = 0;
    return latest;
}

bool Timeline::stepFlight() {
    Scene& scene = *sceneOfPart(part);
    const SceneCamera& camera = cameraOf(scene);
    const PassPicture& shown = capture(scene);

    const int32_t running = part;
    // Outside the party of cubes the light is set after the frame is drawn, through the
    // view of the pass.
    if (running != 2)
        light->placement = lookAtMatrix(shown.eye, shown.target, Vector3(0.0f, 0.0f, 1.0f));
    if (running == 3)
        light->setAmbient(ambientOfFrame(frame, 0.1));
    frame += running == 1 ? 2 : 1;
    if (running == 1)
        light->setAmbient(ambientOfFrame(frame, 0.3));
    // Part 1 steps by two and may pass the count; the others reach it exactly.
    bool ended = frame >= camera.positionKeyCount;
    if (ended && onlyPart)
        return true;
    if (ended)
        switchAfter(running);
    if (running == 5)
        light->setAmbient(ambientOfFrame(frame, 0.1));
    if (!ended)
        return false;
    // The next part's first frame covers this one in the same pass.
    return advancePart();
}

void Timeline::switchAfter(int32_t endedPart) {
    switch (endedPart) {
    case 1:
        fovOffset = 40.0f;
        frame = 0;
        part = 2;
        break;
    case 2:
        fovOffset = 140.0f;
        frame = 0;
        part = 3;
        break;
    case 3:
        fovOffset = 80.0f;
        frame = 0;
        part = 5;
        break;
    default:
        // The fog goes on with part 6's frames (drawPicture).
        frame = 0;
        fovOffset = 37.0f;
        part = 6;
        break;
    }
}

bool Timeline::stepFinale() {
    Scene& scene = *scene6;
    turn.rotate(1.0f, 0.0f, 0.0f, 1.0f);
    PassPicture& shown = capture(scene);
    shown.turn = turn;
    gLog.message("POS::: %f", static_cast<double>(shown.eye.z));

    slideDistance += SLIDE_STEP;
    if (slideObject <= LAST_SLIDING_OBJECT) {
        shown.slideObject = slideObject;
        shown.slideDistance = static_cast<float>(slideDistance);
    }
    if (slideDistance > SLIDE_END) {
        slideObject += 1;
        slideDistance = 0;
    }
    return slideObject >= SCRIPT_END_OBJECT;
}

namespace {

// The picture t of the way from `a` to `b` in the same part; a jump shows `a` until b's moment.
PassPicture blendPictures(const PassPicture& a, const PassPicture& b, float t) {
    if (a.part == 0 || t >= 1.0f)
        return b;
    if (a.part != b.part || t <= 0.0f)
        return a;
    PassPicture p = b;
    p.fov = blend(a.fov, b.fov, t);
    p.eye = blend(a.eye, b.eye, t);
    p.target = blend(a.target, b.target, t);
    p.light = blendLights(a.light, b.light, t);
    if (b.part == 6) {
        // Object 0 turns by a degree per pass about z; the sliding object comes from
        // one step below when it has just come in.
        p.turn = a.turn;
        p.turn.rotate(t, 0.0f, 0.0f, 1.0f);
        float from = a.slideObject == b.slideObject ? a.slideDistance : b.slideDistance - SLIDE_STEP;
        p.slideDistance = blend(from, b.slideDistance, t);
    }
    return p;
}

} // namespace

void Timeline::draw(float t) {
    if (coveredCount == 0) {
        drawPicture(blendPictures(before, latest, t));
        return;
    }
    if (t < 1.0f) {
        drawPicture(blendPictures(before, covered[0], t));
        return;
    }
    for (int32_t i = 0; i < coveredCount; ++i)
        drawPicture(covered[i]);
    drawPicture(latest);
}

void Timeline::drawPicture(const PassPicture& picture) const {
    Scene* scene = sceneOfPart(picture.part);
    if (!scene)
        return;
    picture.light.send();
    if (picture.part == 6) {
        switchFogOn();
        scene->objects[0]->matrix = picture.turn;
    }
    setPerspective(picture.fov, aspect, 0.1f, 10000.0f);
    scene->view.lookAt(picture.eye, picture.target, Vector3(0.0f, 0.0f, 1.0f));
    scene->drawFrame();
    if (picture.part == 6 && picture.slideObject != 0) {
        Matrix4& matrix = scene->objects[picture.slideObject]->matrix;
        matrix.identity();
        matrix.translate(0.0f, 0.0f, picture.slideDistance);
        scene->drawObjectAdditive(picture.slideObject);
    }
}

void Timeline::restartPart() {
    frame = 0;
    slideDistance = 0;
    slideObject = FIRST_SLIDING_OBJECT;
    // The next pass jumps back: nothing to draw between.
    latest.part = 0;
}

ScriptLength Timeline::length() const {
    ScriptLength length;
    if (onlyPart) {
        int32_t keys = cameraOf(*sceneOfPart(onlyPart)).positionKeyCount;
        length.presented[onlyPart] = onlyPart == 6   ? FINALE_PASSES - 1
                                     : onlyPart == 1 ? (keys + 1) / 2 - 1
                                                     : keys - 1;
        length.presentedTotal = length.presented[onlyPart];
        length.passes = length.presentedTotal + 1;
        return length;
    }
    auto keys = [this](int32_t p) { return cameraOf(*sceneOfPart(p)).positionKeyCount; };
    // A part with n steps presents n - 1 frames: the pass of its last step shows the
    // next part's first frame instead. Part 1 takes every second key.
    length.presented[1] = (keys(1) + 1) / 2 - 1;
    length.presented[2] = keys(2) - 1;
    length.presented[3] = keys(3) - 1;
    length.presented[5] = keys(5) - 1;
    length.presented[6] = FINALE_PASSES - 1;
    for (int32_t p : {1, 2, 3, 5, 6})
        length.presentedTotal += length.presented[p];
    length.passes = length.presentedTotal + 1;
    return length;
}

int32_t scriptedRenderMode(int32_t partNumber, int32_t object) {
    for (const ModeSetting& setting : RENDER_MODE_TABLE) {
        if (setting.part == partNumber && object >= setting.firstObject && object <= setting.lastObject)
            return setting.renderMode;
    }
    return -1;
}

int32_t requiredObjectCount(int32_t partNumber) {
    switch (partNumber) {
    case 1:
        return 1;
    case 2:
        return 2;
    case 3:
    case 5:
        return 4;
    case 6:
        return LAST_SLIDING_OBJECT + 1;
    default:
        return 0;
    }
}

bool meetsScriptRequirements(const Scene& scene, int32_t partNumber, std::string& lack) {
    if (scene.cameraCount < 1 || scene.cameras.size < 1) {
        lack = "it has no camera";
        return false;
    }
    const SceneCamera& camera = cameraOf(scene);
    if (camera.positionKeyCount < 1 || !camera.positionKeys) {
        lack = "its camera 0 has no position keys";
        return false;
    }
    int32_t needed = requiredObjectCount(partNumber);
    if (scene.objectCount < needed || scene.objects.size < needed) {
        lack = "it has " + std::to_string(scene.objectCount) + " objects, the demo needs at least " +
               std::to_string(needed);
        return false;
    }
    if (partNumber == 6) {
        for (int32_t i = FIRST_SLIDING_OBJECT; i <= LAST_SLIDING_OBJECT; ++i) {
            const MeshObject& object = *scene.objects[i];
            if (!object.hasTexCoords || object.texCoordCount < 1 || !object.texCoords) {
                lack = "its object " + std::to_string(i) +
                       " has no texture coordinates (objects 2 to 12 are drawn textured)";
                return false;
            }
        }
    }
    return true;
}
