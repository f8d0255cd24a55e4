// Drawing from arrays gives the same pixels as drawing corner by corner: the shipped
// scenes played through the timeline on the offscreen context, sampled passes of
// every part drawn by both paths and compared byte for byte.
#include "app/offscreen_gl.h"
#include "render/object_renderer.h"
#include "support/shipped_demo.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

struct SampledPass {
    int32_t part;
    std::vector<unsigned char> rgb;
};

// Plays the script from its start, three passes in a row, then a quarter of the
// part further on, and so on to the end.
std::vector<SampledPass> playSampled(DrawPath path) {
    setDrawPath(path);
    OffscreenGL gl;
    std::string error;
    EXPECT_TRUE(gl.create(160, 120, error)) << error;
    ShippedDemo demo(sourceDir() + "/data");
    std::vector<SampledPass> passes;
    while (!demo.timeline.step()) {
        passes.push_back({demo.timeline.part, gl.readRgbTopDown()});
        if (passes.size() % 3 == 0)
            demo.skipAhead(0.25);
    }
    gl.destroy();
    setDrawPath(DrawPath::ARRAYS);
    return passes;
}

TEST(DrawPaths, ArraysGiveTheSamePixelsAsImmediateModeInEveryPart) {
    std::vector<SampledPass> reference = playSampled(DrawPath::IMMEDIATE);
    std::vector<SampledPass> arrays = playSampled(DrawPath::ARRAYS);
    ASSERT_EQ(reference.size(), arrays.size());
    std::set<int32_t> parts;
    for (size_t i = 0; i < reference.size(); ++i) {
        parts.insert(reference[i].part);
        ASSERT_EQ(reference[i].part, arrays[i].part);
        ASSERT_TRUE(reference[i].rgb == arrays[i].rgb) << "pass " << i << " of part " << reference[i].part;
    }
    EXPECT_EQ(parts, (std::set<int32_t>{1, 2, 3, 5, 6}));
    // Something is drawn: the samples are not all one picture.
    EXPECT_FALSE(reference.front().rgb == reference.back().rgb);
}

} // namespace
