// The demo's shipped scenes (data/) loaded as the demo loads them, with the light
// and the timeline set up on them, for the tests and benchmarks that play passes.
#pragma once

#include "app/demo_light.h"
#include "app/timeline.h"
#include "scene/scene_loader.h"
#include "scene/scene.h"

#include <memory>
#include <string>

struct ShippedDemo {
    SceneLoader loaders[6];
    std::unique_ptr<Scene> scenes[6];
    DemoLight light;
    Timeline timeline;

    // Loads the six scenes with dir as the working directory (the texture files are
    // found there; the previous one is restored) and sets the timeline up. Needs a
    // current GL context; a scene the loader refuses ends the process.
    explicit ShippedDemo(const std::string& dir);

    // Moves the timeline ahead within its part, to about `stride` of the part's
    // length further on, but never past its last few passes, so that the switch to
    // the next part is played as the demo plays it.
    void skipAhead(double stride);
};
