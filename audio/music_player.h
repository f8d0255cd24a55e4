// Plays the soundtrack as one looping stream.
#pragma once

#include <cstdint>

class MusicPlayer {
  public:
    bool mono = false;
    bool ready = false;
    uint32_t stream = 0;

    // Initialises audio output; a failure ends the process, naming its cause. With
    // soundOff the audio system is not touched at all: nothing will be played.
    explicit MusicPlayer(bool soundOff = false);

    // Asked when sound was wanted and no output device opens: true goes on without
    // music (ready stays false), false ends the process as before. Unset: false.
    static bool (*playWithoutDevice)();
    MusicPlayer(const MusicPlayer&) = delete;
    MusicPlayer& operator=(const MusicPlayer&) = delete;
    ~MusicPlayer();

    // Opens the MP3 file as a stream; false (silently) when it can't.
    bool loadStream(const char* fileName);
    // Starts the loaded stream looping; false when no stream is loaded.
    bool play();
    // Forgets the stream and releases audio output. Safe to call more than once.
    void stop();

  private:
    void* impl = nullptr;
};
