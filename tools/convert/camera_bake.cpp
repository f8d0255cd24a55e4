#include "camera_bake.h"

#include "app/part_lens.h"
#include "quiet_stdout.h"
#include "target_fit.h"

#include <assimp/version.h>

#include "scene/scene.h"
#include "scene/scene_loader.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

namespace convert {

namespace {

constexpr double PI = 3.14159265358979323846;
// Below this largest aiming error (degrees) the fixed target counts as the author's.
constexpr double AIM_TOLERANCE = 1.0;

Vec3 toVec(const aiVector3D& v) {
    return {{v.x, v.y, v.z}};
}

aiVector3D centreOf(const SourceModel& model) {
    return aiVector3D((model.boundsMin[0] + model.boundsMax[0]) / 2,
                      (model.boundsMin[1] + model.boundsMax[1]) / 2,
                      (model.boundsMin[2] + model.boundsMax[2]) / 2);
}

float radiusOf(const SourceModel& model) {
    aiVector3D extent(model.boundsMax[0] - model.boundsMin[0], model.boundsMax[1] - model.boundsMin[1],
                      model.boundsMax[2] - model.boundsMin[2]);
    return std::max(extent.Length() / 2, 1e-3f);
}

const aiCamera* findCamera(const aiScene& scene, const std::string& name) {
    for (unsigned i = 0; i < scene.mNumCameras; ++i) {
        if (name.empty() || name == scene.mCameras[i]->mName.C_Str())
            return scene.mCameras[i];
    }
    return nullptr;
}

// A slow turn around the model's centre, a little above it, one round per flight.
void orbit(const SourceModel& model, const Sampling& sampling, CameraFlight& flight) {
    aiVector3D centre = centreOf(model);
    float distance = radiusOf(model) * 2.5f;
    for (int k = 0; k < sampling.keys; ++k) {
        double angle = 2 * PI * k / sampling.keys - PI / 2;
        aiVector3D eye =
            centre + aiVector3D(static_cast<float>(std::cos(angle)) * distance,
                                static_cast<float>(std::sin(angle)) * distance, distance * 0.35f);
        flight.eyes.push_back(toVec(eye));
        flight.targets.push_back(toVec(centre));
    }
    flight.name = "Camera";
    flight.sourceFovDegrees = 45.0f;
}

// The source's vertical view: assimp keeps the whole horizontal angle and the aspect.
// Its glTF reader up to 5.2 makes that angle the vertical one times the aspect.
float verticalFovOf(const Source& source, const aiCamera& camera) {
    double aspect = camera.mAspect > 0 ? camera.mAspect : 1.0;
    bool linearWidth =
        source.gltf && (aiGetVersionMajor() < 5 || (aiGetVersionMajor() == 5 && aiGetVersionMinor() <= 2));
    double radians = linearWidth ? camera.mHorizontalFOV / aspect
                                 : 2 * std::atan(std::tan(camera.mHorizontalFOV / 2.0) / aspect);
    double degrees = radians * 180 / PI;
    return degrees > 1.0 && degrees < 179.0 ? static_cast<float>(degrees) : 45.0f;
}

// Where the camera sits in its node. Some readers copy the node's own translation
// into the camera as well; count it once.
aiVector3D cameraLocal(const aiCamera& camera, const aiNode& node) {
    aiVector3D nodeAt(node.mTransformation.a4, node.mTransformation.b4, node.mTransformation.c4);
    return (camera.mPosition - nodeAt).Length() < 1e-6f ? aiVector3D() : camera.mPosition;
}

// Whether the camera at its node looks straight at the candidate node at `start`.
bool looksAt(const Source& source, const aiCamera& camera, const aiNode& node, const aiNode& candidate,
             double start) {
    aiMatrix4x4 world = source.sampler->world(&node, start);
    aiVector3D eye = world * cameraLocal(camera, node);
    aiVector3D look = (aiMatrix3x3(world) * camera.mLookAt).Normalize();
    aiVector3D toCandidate = source.sampler->world(&candidate, start) * aiVector3D() - eye;
    if (toCandidate.Length() <= 0)
        return false;
    return toCandidate.Normalize() * look > std::cos(AIM_TOLERANCE * PI / 180);
}

// The node a target camera aims at: exporters of target cameras name it after the
// camera; a camera hung from an empty that it looks at (a turntable rig) aims at that.
const aiNode* targetNodeOf(const Source& source, const aiCamera& camera, const aiNode& node, double start) {
    const aiScene& scene = *source.scene;
    std::string name = std::string(camera.mName.C_Str()) + ".Target";
    if (const aiNode* named = scene.mRootNode->FindNode(name.c_str()))
        return named;
    const aiNode* parent = node.mParent;
    if (!parent || parent == scene.mRootNode || parent->mNumMeshes > 0)
        return nullptr;
    return looksAt(source, camera, node, *parent, start) ? parent : nullptr;
}

// An empty (a node with neither meshes nor children) the camera looks straight at
// when the flight starts: the target of an aiming constraint that the format left
// out, keeping only the turn it gave at the frame exported.
const aiNode* emptyLookedAt(const Source& source, const aiCamera& camera, const aiNode& node, double start) {
    std::function<const aiNode*(const aiNode&)> visit = [&](const aiNode& n) -> const aiNode* {
        if (&n != &node && n.mNumMeshes == 0 && n.mNumChildren == 0 &&
            looksAt(source, camera, node, n, start))
            return &n;
        for (unsigned c = 0; c < n.mNumChildren; ++c) {
            if (const aiNode* found = visit(*n.mChildren[c]))
                return found;
        }
        return nullptr;
    };
    return visit(*source.scene->mRootNode);
}

// The eyes and lines of sight of the source camera at each key, and the target
// node's places when it has one.
struct Aim {
    std::vector<aiVector3D> eyes, looks, targets;
};

Aim sampleAim(const Source& source, const aiCamera& camera, const aiNode& node, const aiNode* targetNode,
              const Sampling& sampling) {
    aiVector3D local = cameraLocal(camera, node);
    Aim aim;
    for (int k = 0; k < sampling.keys; ++k) {
        double t = sampling.start + k * sampling.step;
        aiMatrix4x4 world = source.toDemo * source.sampler->world(&node, t);
        aiVector3D eye = world * local;
        aiVector3D look = (aiMatrix3x3(world) * camera.mLookAt).Normalize();
        if (targetNode) {
            aiVector3D target = source.toDemo * source.sampler->world(targetNode, t) * aiVector3D();
            aim.targets.push_back(target);
            if ((target - eye).Length() > 0)
                look = (target - eye).Normalize();
        }
        aim.eyes.push_back(eye);
        aim.looks.push_back(look);
    }
    return aim;
}

// A camera that travels without ever turning: the demo's fixed target cannot give
// that, and it is what an aiming constraint leaves when a format keeps only keys.
bool travelsWithoutTurning(const Aim& aim) {
    for (size_t k = 1; k < aim.looks.size(); ++k) {
        if ((aim.looks[k] - aim.looks[0]).Length() > 1e-4f)
            return false;
    }
    for (const aiVector3D& eye : aim.eyes) {
        if ((eye - aim.eyes.front()).Length() > 1e-3f * std::max(1.0f, eye.Length()))
            return true;
    }
    return false;
}

// The camera's aim over the flight; one that travels without turning while it looks
// straight at an empty at the start is taken to follow that empty.
Aim aimOf(const Source& source, const aiCamera& camera, const aiNode& node, const aiNode* targetNode,
          const Sampling& sampling, Report& report) {
    Aim aim = sampleAim(source, camera, node, targetNode, sampling);
    if (targetNode || !travelsWithoutTurning(aim))
        return aim;
    const aiNode* empty = emptyLookedAt(source, camera, node, sampling.start);
    if (!empty)
        return aim;
    report.say(format("camera 0: travels without turning but looks at \"%s\" at the start: taken as "
                      "its target (an aiming constraint, such as Track-To, that the format does not carry)",
                      empty->mName.C_Str()));
    return sampleAim(source, camera, node, empty, sampling);
}

bool sameTarget(const Aim& aim) {
    for (const aiVector3D& t : aim.targets) {
        if ((t - aim.targets.front()).Length() > 1e-4f * std::max(1.0f, aim.targets.front().Length()))
            return false;
    }
    return !aim.targets.empty();
}

// The fixed target, with a line on how it was found and how far the aim strays.
aiVector3D chooseTarget(const Aim& aim, float reach, Report& report) {
    if (sameTarget(aim)) {
        report.say("camera 0: aims at its target object, which stands still");
        return aim.targets.front();
    }
    aiVector3D guess = aim.eyes.front() + aim.looks.front() * reach;
    aiVector3D target = fitTarget(aim.eyes, aim.looks, guess);
    double error = largestAimError(aim.eyes, aim.looks, target);
    std::string from = aim.targets.empty() ? "where its lines of sight meet most closely"
                                           : "where its moving target object is seen best";
    report.say(format("camera 0: aims at (%.3g, %.3g, %.3g), %s; the aim is off by at most %.1f degrees",
                      target.x, target.y, target.z, from.c_str(), error));
    if (error > AIM_TOLERANCE)
        report.say(format("warning: camera 0: the source camera's aim moves (up to %.1f degrees off the "
                          "fixed target); the demo looks at one fixed target for the whole part, so aim "
                          "the camera at a still object to keep its framing",
                          error));
    return target;
}

} // namespace

Sampling samplingFor(double start, double seconds, int part) {
    double perSecond = PASSES_PER_SECOND * (part == 1 ? 2.0 : 1.0);
    Sampling s;
    s.start = start;
    s.step = 1.0 / perSecond;
    s.keys = std::max(1, static_cast<int>(std::lround(seconds * perSecond)));
    return s;
}

void chooseLens(float sourceFov, const ConvertOptions& options, CameraFlight& flight, Report& report) {
    float widening = partFovWidening(options.part);
    float margin = WIDE_FOV_WARNING - 5.0f; // the widest total the converter writes
    flight.sourceFovDegrees = sourceFov;
    std::string how;
    if (options.keepWidening) {
        flight.fovDegrees = std::min(sourceFov, margin - widening);
        how = flight.fovDegrees < sourceFov
                  ? "the part's widening kept on top, the camera's view narrowed so "
                    "the picture does not turn over"
                  : "the part's widening kept on top of the camera's view";
    } else if (sourceFov - widening >= 1.0f) {
        flight.fovDegrees = sourceFov - widening;
        how = "the part plays the camera's own view";
    } else {
        flight.fovDegrees = std::min(sourceFov, std::max(1.0f, margin - widening));
        how = "the part's widening is wider than the camera's view: the part keeps its own wide look";
    }
    report.say(format("camera 0: field of view %.1f degrees (source %.1f vertical, part %d widens by %.0f); "
                      "plays %.1f degrees, the same across (aspect 1), stretched to the window: %s",
                      flight.fovDegrees, sourceFov, options.part, widening, flight.fovDegrees + widening,
                      how.c_str()));
}

// A .3ds input's camera 0 as the demo reads it: its keys, one a pass already, its
// fixed target and its lens, with the part's widening on top as in the demo's scenes.
bool keepFileCamera(const Source& source, const ConvertOptions& options, CameraFlight& flight,
                    Report& report) {
    SceneLoader loader;
    loader.loadTextures = false;
    std::unique_ptr<Scene> scene;
    {
        QuietStdout quiet;
        scene.reset(loader.load(options.input.c_str()));
    }
    if (!scene || scene->cameraCount < 1 || scene->cameras[0]->positionKeyCount < 1)
        return false;
    const SceneCamera& camera = *scene->cameras[0];
    aiMatrix4x4 scale;
    aiMatrix4x4::Scaling(aiVector3D(static_cast<float>(options.scale * source.unitMetres)), scale);
    aiVector3D target = scale * aiVector3D(camera.target.x, camera.target.y, camera.target.z);
    for (int32_t k = 0; k < camera.positionKeyCount; ++k) {
        const Vector3& p = camera.positionKeys[k].position;
        flight.eyes.push_back(toVec(scale * aiVector3D(p.x, p.y, p.z)));
        flight.targets.push_back(toVec(target));
    }
    flight.name = source.scene->mNumCameras ? source.scene->mCameras[0]->mName.C_Str() : "Camera";
    report.say(format("camera 0 <- the file's camera 0: its %d position keys and its target, as they are",
                      camera.positionKeyCount));
    ConvertOptions own = options;
    own.keepWidening = true;
    chooseLens(camera.fov, own, flight, report);
    return true;
}

bool bakeCamera(const Source& source, const SourceModel& model, const ConvertOptions& options,
                CameraFlight& flight, Report& report, std::string& error) {
    const aiScene& scene = *source.scene;
    if (source.threeDs && options.camera.empty() && options.seconds <= 0 &&
        keepFileCamera(source, options, flight, report))
        return true;
    const aiCamera* camera = findCamera(scene, options.camera);
    if (!camera && !options.camera.empty()) {
        error = "the input has no camera named \"" + options.camera + "\"";
        return false;
    }
    const aiNode* node = camera ? scene.mRootNode->FindNode(camera->mName) : nullptr;
    const aiNode* targetNode =
        camera && node ? targetNodeOf(source, *camera, *node, source.sampler->startSeconds()) : nullptr;
    bool moving = node && (source.sampler->moves(node) || (targetNode && source.sampler->moves(targetNode)));
    double start = moving ? source.sampler->startSeconds() : 0.0;
    double seconds = options.seconds > 0 ? options.seconds
                     : moving            ? std::min(source.sampler->lengthSeconds() - start, MAX_SECONDS)
                     : camera            ? STILL_SECONDS
                                         : ORBIT_SECONDS;
    Sampling sampling = samplingFor(start, seconds, options.part);
    if (!node) {
        orbit(model, sampling, flight);
        report.say(
            format("camera 0: none in the input; made one that circles the model once in %.2f s", seconds));
        chooseLens(flight.sourceFovDegrees, options, flight, report);
        return true;
    }
    flight.name = camera->mName.C_Str();
    report.say(format("camera 0 <- \"%s\": %d position keys from %.3f s, %.2f s of the %s",
                      flight.name.c_str(), sampling.keys, start, seconds,
                      moving ? "animation" : "still camera"));
    if (!moving && options.part != 6)
        report.say("warning: camera 0 stands still in the source; if it follows a path or a constraint "
                   "there, bake that motion to keys before exporting (the formats carry keys only)");
    Aim aim = aimOf(source, *camera, *node, targetNode, sampling, report);
    float reach = std::max((centreOf(model) - aim.eyes.front()).Length(), radiusOf(model));
    aiVector3D target = chooseTarget(aim, reach, report);
    for (const aiVector3D& eye : aim.eyes) {
        flight.eyes.push_back(toVec(eye));
        flight.targets.push_back(toVec(target));
    }
    chooseLens(verticalFovOf(source, *camera), options, flight, report);
    return true;
}

} // namespace convert
