// The one point the demo's camera looks at for a whole flight: where the source
// camera's lines of sight pass most closely, judged by angle.
#pragma once

#include <assimp/types.h>

#include <vector>

namespace convert {

// The point with the least angular error to the looks (unit directions from the
// eyes), starting from `guess`; lines of sight that never meet keep it on the first.
aiVector3D fitTarget(const std::vector<aiVector3D>& eyes, const std::vector<aiVector3D>& looks,
                     const aiVector3D& guess);

// The largest angle in degrees between a look and the direction from its eye to `target`.
double largestAimError(const std::vector<aiVector3D>& eyes, const std::vector<aiVector3D>& looks,
                       const aiVector3D& target);

} // namespace convert
