// What every scene generator shares: the record builders for materials, cameras
// and the light, and closed orbits sampled into camera keys.
#pragma once

#include "content.h"
#include "flight.h"
#include "geometry.h"
#include "scene_writer.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace content {

tds::Vec3 vec(V3 p);
tds::MaterialDesc material(const std::string& name, const std::string& map);
// Camera 0 of a scene: the given keys, one fixed target, the lens in mm.
tds::CameraDesc camera(const std::string& name, const std::vector<V3>& keys, V3 target, float lens);
// The scene's one light, where the demo puts its own.
tds::LightDesc light();
// A closed flight through at(t), t in 0..1, with count keys at constant speed.
std::vector<V3> orbit(int count, double phase, const std::function<V3(double)>& at);

// The scenes of the parts that have a file of their own.
SceneFile introScene(uint64_t seed);
SceneFile slimeScene(uint64_t seed);

} // namespace content
