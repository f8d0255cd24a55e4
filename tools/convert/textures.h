// The textures of the output: a material's base-colour image read from the model (a
// file beside it or embedded) and, for objects without one, a ramp of the material's
// colour that lets the shape read as shaded under the demo's dim light.
#pragma once

#include "image_io.h"
#include "model_reader.h"
#include "source_model.h"

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace convert {

// Reads the texture a material names: "*N" or an embedded name, else a file
// relative to the input's folder; `foundAs` is the file read when it is not the one
// named (see locateTexture).
bool readSourceTexture(const Source& source, const std::string& inputPath, const std::string& name,
                       Image& image, std::string& foundAs, std::string& error);

// The bytes of the texture file `name` (as a model writes it: '\\' or '/', maybe a
// drive letter or an absolute path from another machine): the path itself, else a
// file of its name in `folder`, case ignored. `foundAs` is set to that file's name;
// `error` says why neither was read.
bool locateTexture(const Source& source, const std::filesystem::path& folder, const std::string& name,
                   std::vector<uint8_t>& bytes, std::string& foundAs, std::string& error);

// 64 x 4 texels from a dark shade of the colour on the left to a bright one on the right.
Image colourRamp(const std::array<uint8_t, 3>& colour);

// Mapping coordinates into the ramp: u from each normal's angle to the key light.
std::vector<Vec2> rampCoordinates(const std::vector<Vec3>& normals);

// The start of the texture files' names for an output: up to 8 letters and digits
// of its file name, so that scenes converted into one folder don't share names.
std::string textureStem(const std::string& outputPath);

} // namespace convert
