// Test sound files: short WAV tones encoded to MP3 with lame, and mpg123's own
// decoding of an MP3 file as the reference for what the player must produce.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes a 16-bit PCM WAV tone: a different pitch per channel, so a swap of the
// channels shows, and a loud first sample, so the start of the sound is easy to find.
bool writeToneWav(const std::string& path, double seconds, int rate, int channels);

// Encodes a tone of the given length to MP3 with lame; false when that fails.
bool makeToneMp3(const std::string& path, double seconds, int rate, int channels);

// Decodes the file with the mpg123 program to 44100 Hz, 16-bit stereo samples.
std::vector<int16_t> mpg123Reference(const std::string& path);

// Runs a shell command; returns its exit status (-1 when it couldn't run).
int runCommand(const std::string& command);

// Reads a file of native-endian 16-bit samples.
std::vector<int16_t> readSamples(const std::string& path);
