// The textures of the output: a material's base-colour image read from the model (a
// file beside it or embedded) and, for objects without one, a ramp of the material's
// colour that lets the shape read as shaded under the demo's dim light.
#pragma once

#include "image_io.h"
#include "model_reader.h"
#include "source_model.h"

#include <array>
#include <string>
#include <vector>

namespace convert {

// Reads the texture a material names: "*N" or an embedded name, else a file
// relative to the input's folder.
bool readSourceTexture(const Source& source, const std::string& inputPath, const std::string& name,
                       Image& image, std::string& error);

// 64 x 4 texels from a dark shade of the colour on the left to a bright one on the right.
Image colourRamp(const std::array<uint8_t, 3>& colour);

// Mapping coordinates into the ramp: u from each normal's angle to the key light.
std::vector<Vec2> rampCoordinates(const std::vector<Vec3>& normals);

// The start of the texture files' names for an output: up to 8 letters and digits
// of its file name, so that scenes converted into one folder don't share names.
std::string textureStem(const std::string& outputPath);

} // namespace convert
