// The camera flight baked for the demo, which takes camera 0's position keys one per
// pass (two per pass in part 1) without interpolation and looks at one fixed target.
#pragma once

#include "convert_options.h"
#include "model_reader.h"
#include "report.h"
#include "source_model.h"

namespace convert {

// The keys a flight of `seconds` needs for the part: one per pass, two in part 1,
// the first at the start and the last at the end.
int keyCountFor(double seconds, int part);

// Samples the chosen camera (or a framing orbit when the source has none) into one
// key per pass. False with a message when --camera names no camera.
bool bakeCamera(const Source& source, const SourceModel& model, const ConvertOptions& options,
                CameraFlight& flight, Report& report, std::string& error);

} // namespace convert
