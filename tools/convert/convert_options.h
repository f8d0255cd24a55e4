// The converter's command line:
//   quarn-convert INPUT OUTPUT.3ds [--part N] [--seconds S] [--scale F] [--camera NAME] [--z-up]
//                 [--allow-outside] [--keep-widening] [--role INDEX=NAME]...
#pragma once

#include <string>
#include <vector>

namespace convert {

struct ConvertOptions {
    std::string input;
    std::string output;
    int part = 2;              // the part the scene is made for: 1, 2, 3, 5 or 6
    double seconds = 0;        // 0: the animation's length, or a default for a still scene
    float scale = 1.0f;        // applied to every coordinate
    std::string camera;        // empty: the source's first camera
    bool sourceZUp = false;    // the source is Z-up already (no axis turn)
    bool keepWidening = false; // the part's own widening on top of the source's view
    // Source objects chosen for the objects the part addresses (--role INDEX=NAME).
    struct Role {
        int index = 0;
        std::string name;
    };
    std::vector<Role> roles;
    bool allowOutside = false; // files named by the model may lie outside its folder
};

// The passes the demo plays per second, and so the keys baked per second of animation.
constexpr int PASSES_PER_SECOND = 50;
// Keys of a flight made for a still camera or a model without a camera.
constexpr double STILL_SECONDS = 10.0;
constexpr double ORBIT_SECONDS = 20.0;
// The longest flight baked: ten minutes.
constexpr double MAX_SECONDS = 600.0;

// On a mistake returns false with a one-line explanation in `error`.
bool parseConvertOptions(int argc, const char* const* argv, ConvertOptions& options, std::string& error);

const char* convertUsage();

} // namespace convert
