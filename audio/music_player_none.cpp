// Silent music player, used until audio output is built for the platform.
#include "audio/music_player.h"

#include <cstdio>

MusicPlayer::MusicPlayer(bool) {
    ready = true;
}
MusicPlayer::~MusicPlayer() {
    stop();
}

bool MusicPlayer::loadStream(const char*) {
    std::puts("[SOUND] Init BASS Sound system at 44100 khz");
    std::fflush(stdout);
    return false;
}

bool MusicPlayer::play() {
    return stream != 0;
}

void MusicPlayer::stop() {
    stream = 0;
}
