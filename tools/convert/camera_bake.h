// The camera flight baked for the demo, which takes camera 0's position keys one per
// pass (two per pass in part 1) without interpolation and looks at one fixed target.
#pragma once

#include "convert_options.h"
#include "model_reader.h"
#include "report.h"
#include "source_model.h"

namespace convert {

// When the keys of a flight are taken: `keys` of them from `start`, `step` apart
// (seconds of the source's animation).
struct Sampling {
    double start = 0;
    double step = 0.02;
    int keys = 1;
};

// A flight of `seconds` from `start`: one key per pass, two in part 1, the first at
// the start, so that 8 s give 400 keys (800 in part 1).
Sampling samplingFor(double start, double seconds, int part);

// The field of view written for camera 0: by default the part's total view equals
// the source's vertical view; where the part widens more than that, or with
// --keep-widening, the total stays well short of turning the picture over.
void chooseLens(float sourceFovDegrees, const ConvertOptions& options, CameraFlight& flight, Report& report);

// Samples the chosen camera (or a framing orbit when the source has none) into one
// key per pass. False with a message when --camera names no camera.
bool bakeCamera(const Source& source, const SourceModel& model, const ConvertOptions& options,
                CameraFlight& flight, Report& report, std::string& error);

} // namespace convert
