// Which source object becomes which object of the scene. The part addresses its
// first objects by number and gives each a look of its own, so the order is chosen,
// said in words, and the same whichever format the model came in.
#pragma once

#include "convert_options.h"
#include "source_model.h"

#include <string>
#include <vector>

namespace convert {

// The order of the model's meshes in the scene: --role choices at their numbers,
// the rest by name, then the larger first (the file's own order for a .3ds input,
// whose object numbers are the author's). False with `error` for a name no mesh has
// or a number past the meshes.
bool orderMeshes(const SourceModel& model, const ConvertOptions& options, std::vector<size_t>& order,
                 std::string& error);

// What the part does to its object `index`, in words ("the chrome, sphere-mapped
// object"); empty for objects the part does not address.
std::string roleOf(int part, int index);

} // namespace convert
