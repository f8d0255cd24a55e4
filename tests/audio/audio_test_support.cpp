#include "audio_test_support.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sys/wait.h>

namespace {

void put16(std::ofstream& out, uint16_t v) {
    char b[2] = {static_cast<char>(v & 0xff), static_cast<char>(v >> 8)};
    out.write(b, 2);
}

void put32(std::ofstream& out, uint32_t v) {
    put16(out, static_cast<uint16_t>(v & 0xffff));
    put16(out, static_cast<uint16_t>(v >> 16));
}

} // namespace

bool writeToneWav(const std::string& path, double seconds, int rate, int channels) {
    const uint32_t frames = static_cast<uint32_t>(seconds * rate);
    const uint32_t dataBytes = frames * static_cast<uint32_t>(channels) * 2;
    std::ofstream out(path, std::ios::binary);
    out.write("RIFF", 4);
    put32(out, 36 + dataBytes);
    out.write("WAVEfmt ", 8);
    put32(out, 16);
    put16(out, 1);
    put16(out, static_cast<uint16_t>(channels));
    put32(out, static_cast<uint32_t>(rate));
    put32(out, static_cast<uint32_t>(rate * channels * 2));
    put16(out, static_cast<uint16_t>(channels * 2));
    put16(out, 16);
    out.write("data", 4);
    put32(out, dataBytes);
    const double pi = 3.14159265358979323846;
    for (uint32_t i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            double pitch = c == 0 ? 440.0 : 660.0;
            double v = 0.5 * std::cos(2.0 * pi * pitch * i / rate);
            put16(out, static_cast<uint16_t>(static_cast<int16_t>(std::lround(v * 32767.0))));
        }
    }
    return static_cast<bool>(out);
}

int runCommand(const std::string& command) {
    int status = std::system(command.c_str());
    if (status == -1 || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

bool makeToneMp3(const std::string& path, double seconds, int rate, int channels) {
    std::string wav = path + ".wav";
    if (!writeToneWav(wav, seconds, rate, channels))
        return false;
    std::string mode = channels == 1 ? "-m m" : "-m s";
    int status = runCommand("lame --quiet -b 128 " + mode + " '" + wav + "' '" + path + "'");
    std::remove(wav.c_str());
    return status == 0;
}

std::vector<int16_t> mpg123Reference(const std::string& path) {
    std::string raw = path + ".ref.raw";
    std::string command = "mpg123 -q --stereo -r 44100 -e s16 -s '" + path + "' > '" + raw + "' 2>/dev/null";
    if (runCommand(command) != 0)
        return {};
    std::vector<int16_t> samples = readSamples(raw);
    std::remove(raw.c_str());
    return samples;
}

std::vector<int16_t> readSamples(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return {};
    std::streamsize bytes = in.tellg();
    in.seekg(0);
    std::vector<int16_t> samples(static_cast<size_t>(bytes) / 2);
    in.read(reinterpret_cast<char*>(samples.data()), static_cast<std::streamsize>(samples.size() * 2));
    return samples;
}
