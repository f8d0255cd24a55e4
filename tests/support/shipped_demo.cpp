#include "support/shipped_demo.h"

#include "log/log.h"

#include <algorithm>
#include <filesystem>

ShippedDemo::ShippedDemo(const std::string& dir) {
    // The log opens here, in the test's own folder, not in the data folder read below.
    gLog.openFile();
    std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    for (int i = 0; i < 6; ++i) {
        std::string name = "scene" + std::to_string(i + 1) + ".3ds";
        scenes[i].reset(loaders[i].load(name.c_str()));
    }
    std::filesystem::current_path(previous);
    timeline =
        Timeline(scenes[0].get(), scenes[1].get(), scenes[2].get(), scenes[4].get(), scenes[5].get(), &light);
    timeline.setUp();
}

void ShippedDemo::skipAhead(double stride) {
    Timeline& t = timeline;
    if (t.part == 6) {
        // Objects 2 to 12 slide one after another; the last one slides out at 850.
        int32_t total = 11;
        int32_t skip = std::max<int32_t>(1, static_cast<int32_t>(stride * total));
        t.slideObject = std::min(t.slideObject + skip, 13);
        t.slideDistance = t.slideObject == 13 ? 840 : (t.slideDistance + 300) % 840;
        return;
    }
    int32_t keys = t.sceneOfPart(t.part)->cameras[0]->positionKeyCount;
    int32_t skip = static_cast<int32_t>(stride * keys);
    t.frame = std::max(t.frame, std::min(t.frame + skip, keys - 3));
}
