// What the music player needs of the render window: only whether it is open (the
// music belongs to it). The application provides the answer.
#pragma once

// True while the program's render window exists.
bool musicWindowIsOpen();
