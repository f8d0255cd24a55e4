// The import of a model under the converter's input rules: files opened through
// GuardedIOSystem, a glTF node graph measured before it is built, the importer run
// on a thread with a large stack, and the node tree it built bounded in depth and
// size before anything walks it.
#pragma once

#include "input_files.h"
#include "model_reader.h"

#include <string>

namespace convert {

// As importSource, under those rules; false with a message naming the file.
bool importGuarded(const ConvertOptions& options, const InputPolicy& policy, Source& source,
                   std::string& error);

} // namespace convert
