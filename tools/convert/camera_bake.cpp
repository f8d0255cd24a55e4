#include "camera_bake.h"

#include <algorithm>
#include <cmath>

namespace convert {

namespace {

constexpr double PI = 3.14159265358979323846;

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

double passesPerSecond(int part) {
    return PASSES_PER_SECOND * (part == 1 ? 2.0 : 1.0);
}

const aiCamera* findCamera(const aiScene& scene, const std::string& name) {
    for (unsigned i = 0; i < scene.mNumCameras; ++i) {
        if (name.empty() || name == scene.mCameras[i]->mName.C_Str())
            return scene.mCameras[i];
    }
    return nullptr;
}

// A slow turn around the model's centre, a little above it, one round per flight.
void orbit(const SourceModel& model, double seconds, int part, CameraFlight& flight) {
    aiVector3D centre = centreOf(model);
    float distance = radiusOf(model) * 2.5f;
    int keys = keyCountFor(seconds, part);
    for (int k = 0; k < keys; ++k) {
        double angle = 2 * PI * k / std::max(keys - 1, 1) - PI / 2;
        aiVector3D eye =
            centre + aiVector3D(static_cast<float>(std::cos(angle)) * distance,
                                static_cast<float>(std::sin(angle)) * distance, distance * 0.35f);
        flight.eyes.push_back(toVec(eye));
        flight.targets.push_back(toVec(centre));
    }
    flight.name = "Camera";
    flight.fovDegrees = 45.0f;
}

// The field of view the demo's aspect of 1 gives: assimp keeps the horizontal angle.
float fovOf(const aiCamera& camera) {
    float degrees = camera.mHorizontalFOV * static_cast<float>(180.0 / PI);
    return degrees > 1.0f && degrees < 179.0f ? degrees : 45.0f;
}

} // namespace

int keyCountFor(double seconds, int part) {
    return static_cast<int>(std::lround(seconds * passesPerSecond(part))) + 1;
}

bool bakeCamera(const Source& source, const SourceModel& model, const ConvertOptions& options,
                CameraFlight& flight, Report& report, std::string& error) {
    const aiScene& scene = *source.scene;
    const aiCamera* camera = findCamera(scene, options.camera);
    if (!camera && !options.camera.empty()) {
        error = "the input has no camera named \"" + options.camera + "\"";
        return false;
    }
    const aiNode* node = camera ? scene.mRootNode->FindNode(camera->mName) : nullptr;
    bool moving = node && source.sampler->moves(node);
    double seconds = options.seconds > 0 ? options.seconds
                     : moving            ? std::min(source.sampler->lengthSeconds(), MAX_SECONDS)
                     : camera            ? STILL_SECONDS
                                         : ORBIT_SECONDS;
    if (!node) {
        orbit(model, seconds, options.part, flight);
        report.say(
            format("camera 0: none in the input; made one that circles the model once in %.2f s", seconds));
        return true;
    }
    flight.name = camera->mName.C_Str();
    flight.fovDegrees = fovOf(*camera);
    // Some readers copy the node's own translation into the camera as well; count it once.
    aiVector3D local = camera->mPosition;
    aiVector3D nodeAt(node->mTransformation.a4, node->mTransformation.b4, node->mTransformation.c4);
    if ((local - nodeAt).Length() < 1e-6f)
        local = aiVector3D();
    aiVector3D start = source.toDemo * source.sampler->world(node, 0.0) * local;
    float reach = std::max((centreOf(model) - start).Length(), radiusOf(model));
    int keys = keyCountFor(seconds, options.part);
    double maxTurn = 0;
    aiVector3D firstLook;
    for (int k = 0; k < keys; ++k) {
        aiMatrix4x4 world = source.toDemo * source.sampler->world(node, k / passesPerSecond(options.part));
        aiVector3D eye = world * local;
        aiVector3D look = (aiMatrix3x3(world) * camera->mLookAt).Normalize();
        if (k == 0)
            firstLook = look;
        maxTurn = std::max(maxTurn, std::acos(std::clamp<double>(look * firstLook, -1.0, 1.0)) * 180 / PI);
        flight.eyes.push_back(toVec(eye));
        flight.targets.push_back(toVec(eye + look * reach));
    }
    report.say(format("camera 0 <- \"%s\": %d position keys, %.2f s of the %s, field of view %.1f degrees",
                      flight.name.c_str(), keys, seconds, moving ? "animation" : "still camera",
                      flight.fovDegrees));
    if (maxTurn > 5)
        report.say(
            format("camera 0: the demo aims at one fixed target (where the camera looks at the start); "
                   "the source camera turns by up to %.0f degrees",
                   maxTurn));
    return true;
}

} // namespace convert
