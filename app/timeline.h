// The fixed script of the demo: five parts, each a flight through one scene along
// the position keys of its camera 0, with its own field-of-view offset and light;
// the last part adds fog, a turning object and a procession of sliding objects.
// Everything advances per pass, not per millisecond.
//
// Script and picture are apart: advance() plays one pass of the script (counters,
// light, part switches, the log) and keeps what that pass shows as a PassPicture;
// draw(t) draws the moment t of the way from the pass before to the latest pass,
// interpolated. draw(1) right after each advance() gives, pixel for pixel, the
// one-picture-per-pass demo; step() is exactly that.
#pragma once

#include "app/demo_light.h"
#include "render/matrix4.h"
#include "render/vector3.h"

#include <cstdint>
#include <string>

struct Scene;

// Everything a pass's frame is drawn from.
struct PassPicture {
    int32_t part = 0;        // 0: nothing yet (or a jump, such as a part starting over)
    float fov = 0.0f;        // degrees: the part's offset plus camera 0's field of view
    Vector3 eye;             // camera 0's position key of the pass
    Vector3 target;          // camera 0's target
    DemoLight light;         // the light as the frame is drawn with it
    Matrix4 turn;            // part 6: object 0's matrix
    int32_t slideObject = 0; // part 6: the object in the additive pass (0: none)
    float slideDistance = 0.0f;
};

// How many passes a whole run takes, by the part whose frame a pass presents.
struct ScriptLength {
    int32_t presented[7] = {0, 0, 0, 0, 0, 0, 0}; // indexed by part number 1, 2, 3, 5, 6
    int32_t presentedTotal = 0;
    // Every pass of the run: the presented ones and the last one, which ends the
    // script and is not presented.
    int32_t passes = 0;
};

struct Timeline {
    int32_t part = 1;
    int32_t frame = 0;
    float fovOffset = 0.0f;
    int32_t slideDistance = 0;
    int32_t slideObject = 2;

    // The shown scenes (scene 4 is never shown) and the light; not owned.
    Scene* scene1 = nullptr;
    Scene* scene2 = nullptr;
    Scene* scene3 = nullptr;
    Scene* scene5 = nullptr;
    Scene* scene6 = nullptr;
    DemoLight* light = nullptr;
    // Non-zero: only this part is played (its scene alone need be given); step
    // returns true when the part ends, and restartPart plays it again.
    int32_t onlyPart = 0;

    Timeline() = default;
    Timeline(Scene* s1, Scene* s2, Scene* s3, Scene* s5, Scene* s6, DemoLight* demoLight)
        : scene1(s1), scene2(s2), scene3(s3), scene5(s5), scene6(s6), light(demoLight) {}

    // What the last two passes show, and at a part switch the old parts' last frames,
    // which the switching pass draws and covers with the new part's first (a part
    // too short to be presented switches on in the same pass: up to four).
    PassPicture before;
    PassPicture latest;
    PassPicture covered[4];
    int32_t coveredCount = 0;
    // Part 6: object 0's matrix, turned a degree per pass.
    Matrix4 turn;
    // The projection's aspect: 1.0 as designed (the picture stretched to 4:3), or the
    // picture's own when it fills a frame of another shape.
    float aspect = 1.0f;

    // The light's first colours, the counters' start values and the render modes of
    // the chosen objects. Needs a current GL context (the light is sent).
    void setUp();
    // One pass of the script without drawing: keeps the frame it shows in `latest`,
    // advances, switches parts. True when the script has ended; that pass is not
    // meant to be presented.
    bool advance();
    // Draws the moment t (0 to 1) between `before` and `latest`: 1 is the latest
    // pass's frame, 0 the one before. Across a part switch the old part runs on to
    // its last frame and the new part shows at 1.
    void draw(float t);
    // One pass as the demo has always played it: advance, draw the pass's frame, and
    // leave the light in GL as the pass set it.
    bool step();
    // With onlyPart: back to the part's first pass.
    void restartPart();

    // The scene a part shows (null for a number that is no part).
    Scene* sceneOfPart(int32_t partNumber) const;
    // The length of a whole run from the start values, for the given scenes.
    ScriptLength length() const;

  private:
    bool advancePart();
    bool stepFlight();
    bool stepFinale();
    void switchAfter(int32_t endedPart);
    PassPicture& capture(const Scene& scene);
    void drawPicture(const PassPicture& picture) const;
    int32_t capturesThisPass_ = 0;
};

// Passes of part 6: objects 2 to 13 each take 142 passes (6 units per pass up to 852).
constexpr int32_t FINALE_PASSES = 12 * 142;

// The number of objects each shown scene must hold, by part number (0: not a part).
int32_t requiredObjectCount(int32_t partNumber);

// The render mode the script gives object `object` of part `partNumber`'s scene
// before the first pass, or -1 when it leaves that object as loaded.
int32_t scriptedRenderMode(int32_t partNumber, int32_t object);

// Checks what the script needs of the scene of a part: camera 0 with a position key,
// enough objects, and for part 6 texture coordinates on the objects drawn in the
// additive pass. On a shortfall returns false and says what is missing in `lack`.
bool meetsScriptRequirements(const Scene& scene, int32_t partNumber, std::string& lack);
