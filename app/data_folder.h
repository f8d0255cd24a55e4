// Running on the installed data: when the working directory holds no scene files and
// the data was installed beside the program, the program changes to that folder
// before it reads anything, so the loaders keep reading plain file names.
#pragma once

#include "app/capture_options.h"

#include <string>

// Enters the installed data folder when it is the one to use, first making the
// command line's own paths (frames folder, video file, scene file) absolute against the folder the
// program was started in. Returns false with a reason when the folder can't be entered.
bool enterDataFolder(CommandLine& commandLine, std::string& error);

// Where the textures of a --scene file are looked for: beside the scene file first,
// then in the data folder (the working directory once the data folder is entered).
void useSceneFileFolder(const std::string& sceneFile);
