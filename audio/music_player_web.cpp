// Music in the browser: the page makes the Web Audio context when Run! is clicked
// (browsers start sound only after a gesture; with No Sound it makes none). The MP3
// is decoded by the browser (decodeAudioData) and played as one looping buffer.
#include "audio/music_player.h"

#include "audio/music_window.h"
#include "log/await_js_web.h"
#include "log/log.h"

#include <cstdio>
#include <emscripten.h>

namespace {

// clang-format off
EM_JS(int, hasAudioContext, (), { return Module.quarnAudio ? 1 : 0; });
// clang-format on

// Decodes the file of the in-memory file system; 0 when it is missing or not audio.
// clang-format off
AWAIT_JS(int, decodeMusic, (const char* fileName), {
    try {
        const bytes = FS.readFile(UTF8ToString(fileName));
        Module.quarnMusic = await Module.quarnAudio.decodeAudioData(bytes.buffer);
        return 1;
    } catch (e) {
        return 0;
    }
});
// clang-format on

// clang-format off
EM_JS(int, startMusic, (), {
    if (!Module.quarnMusic)
        return 0;
    const source = Module.quarnAudio.createBufferSource();
    source.buffer = Module.quarnMusic;
    source.loop = true;
    source.connect(Module.quarnAudio.destination);
    source.start();
    Module.quarnMusicSource = source;
    return 1;
});
// clang-format on

// clang-format off
EM_JS(void, stopMusic, (), {
    if (Module.quarnMusicSource)
        Module.quarnMusicSource.stop();
    Module.quarnMusicSource = null;
});
// clang-format on

} // namespace

MusicPlayer::MusicPlayer(bool soundOff) {
    mono = false;
    impl = nullptr; // the decoded buffer and its source live on the page
    if (!musicWindowIsOpen())
        gLog.errorWithDetail("The render window is not open.", "Faild to get foreground window handel");
    if (!soundOff && !hasAudioContext())
        gLog.errorWithDetail("The browser gave no audio context.", "Could not init bass");
    ready = !soundOff;
}

MusicPlayer::~MusicPlayer() {
    stop();
}

bool MusicPlayer::loadStream(const char* fileName) {
    std::fputs("[SOUND] Init BASS Sound system at 44100 khz\n", stdout);
    std::fflush(stdout);
    if (!ready)
        gLog.error("Fuck");
    if (!fileName || !decodeMusic(fileName))
        return false;
    stream = 1;
    return true;
}

bool MusicPlayer::play() {
    return stream != 0 && startMusic() != 0;
}

void MusicPlayer::stop() {
    if (stream)
        stopMusic();
    stream = 0;
}
