// The soundtrack: a small synthesiser of our own renders the song (intro,
// build-up, main theme, breakdown, theme again) at 44.1 kHz stereo. The song is
// a loop: every note and echo that rings past the end is folded back onto the
// start, so the player can repeat it without a seam.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace content {

struct Song {
    int rate = 44100;
    std::vector<int16_t> samples; // interleaved left, right

    double seconds() const { return samples.size() / 2.0 / rate; }
    // Highest absolute sample value, in dB relative to full scale.
    double peakDb() const;
};

constexpr int kSongBars = 96;
constexpr int kSongBpm = 125;
// Samples per sixteenth note at 125 beats per minute: an exact integer.
constexpr int kStepSamples = 44100 * 60 / (kSongBpm * 4);

// Renders the song, or its first `bars` bars as a loop of their own (for quick
// checks); the seed varies the small irregularities (noise, accents).
Song renderSong(uint64_t seed, int bars = kSongBars);
// 16-bit PCM WAV bytes of the song.
std::vector<uint8_t> wavBytes(const Song& song);
bool writeWav(const std::string& path, const Song& song);

} // namespace content
