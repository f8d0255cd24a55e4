#include "scene_kit.h"

namespace content {

namespace {

const tds::Vec3 kLightPosition{{500.0f, 400.0f, 500.0f}};

} // namespace

tds::Vec3 vec(V3 p) {
    return {static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)};
}

tds::MaterialDesc material(const std::string& name, const std::string& map) {
    tds::MaterialDesc m;
    m.name = name;
    m.ambient = {{40, 40, 40}};
    m.diffuse = {{200, 200, 200}};
    m.specular = {{255, 255, 255}};
    m.mapFile = map;
    return m;
}

tds::CameraDesc camera(const std::string& name, const std::vector<V3>& keys, V3 target, float lens) {
    tds::CameraDesc c;
    c.name = name;
    c.position = vec(keys.front());
    c.target = vec(target);
    c.lens = lens;
    c.positionKeys = toKeys(keys);
    c.targetKeys = {vec(target)};
    return c;
}

tds::LightDesc light() {
    tds::LightDesc l;
    l.name = "Omni01";
    l.position = kLightPosition;
    return l;
}

// A closed flight for parts that circle their centre.
std::vector<V3> orbit(int count, double phase, const std::function<V3(double)>& at) {
    std::vector<V3> points;
    const int controls = 48;
    for (int i = 0; i < controls; ++i)
        points.push_back(at(phase + static_cast<double>(i) / (controls - 1)));
    return sampleFlight(Spline(points, false), count, 0.05);
}

} // namespace content
