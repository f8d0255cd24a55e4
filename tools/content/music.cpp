#include "music.h"

#include "rng.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

namespace content {

namespace {

constexpr double kTau = 6.28318530717958647692;
constexpr int kRate = 44100;
constexpr int kStepsPerBar = 16;

double midiHz(double note) {
    return 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
}

// The song's sections, in bars.
enum class Section { Intro, Build, Theme, Breakdown, Reprise };
Section sectionOf(int bar) {
    if (bar < 16)
        return Section::Intro;
    if (bar < 32)
        return Section::Build;
    if (bar < 64)
        return Section::Theme;
    if (bar < 80)
        return Section::Breakdown;
    return Section::Reprise;
}

struct Chord {
    int root;  // MIDI note of the root in the bass octave
    int third; // semitones above the root
    int fifth;
};
// A minor: Am F C G for the main sections, F G Em Am for the breakdown.
const Chord kMain[4] = {{45, 3, 7}, {41, 4, 7}, {48, 4, 7}, {43, 4, 7}};
const Chord kBreak[4] = {{41, 4, 7}, {43, 4, 7}, {40, 3, 7}, {45, 3, 7}};
Chord chordOf(int bar) {
    return sectionOf(bar) == Section::Breakdown ? kBreak[bar % 4] : kMain[bar % 4];
}

// The main theme, eight bars over Am F C G twice: (MIDI note or 0 for a rest, length in steps).
struct Note {
    int note;
    int steps;
};
const std::vector<Note> kTheme = {
    {69, 2}, {72, 2}, {76, 4}, {74, 2}, {72, 2}, {76, 4}, // Am
    {77, 6}, {76, 2}, {72, 4}, {69, 4},                   // F
    {67, 2}, {72, 2}, {76, 4}, {79, 4}, {76, 4},          // C
    {74, 6}, {71, 2}, {67, 4}, {0, 4},                    // G
    {69, 2}, {72, 2}, {76, 4}, {81, 4}, {79, 2}, {76, 2}, // Am
    {77, 4}, {81, 4}, {79, 4}, {77, 2}, {76, 2},          // F
    {76, 4}, {79, 4}, {84, 6}, {83, 2},                   // C
    {83, 4}, {81, 4}, {79, 4}, {74, 4},                   // G
};
// The breakdown's slow line, four bars: long notes under a long echo.
const std::vector<Note> kSlowLine = {{81, 12}, {77, 4}, {79, 16}, {76, 12}, {71, 4}, {69, 16}};

struct Bus {
    std::vector<float> left, right;
    explicit Bus(size_t n) : left(n, 0.0f), right(n, 0.0f) {}
};

// One event's sound is written by a voice function into the buses, from its
// start, for as many samples as it asks for; indices fold back at the end.
class Mixer {
  public:
    explicit Mixer(size_t n) : n_(n), dry(n), echo(n), room(n) {}
    void put(size_t i, double l, double r, double echoSend, double roomSend) {
        size_t k = i % n_;
        dry.left[k] += static_cast<float>(l);
        dry.right[k] += static_cast<float>(r);
        echo.left[k] += static_cast<float>(l * echoSend);
        echo.right[k] += static_cast<float>(r * echoSend);
        room.left[k] += static_cast<float>(l * roomSend);
        room.right[k] += static_cast<float>(r * roomSend);
    }
    size_t size() const { return n_; }

  private:
    size_t n_;

  public:
    Bus dry, echo, room;
};

double panLeft(double pan) {
    return std::cos((pan + 1) * kTau / 8);
}
double panRight(double pan) {
    return std::sin((pan + 1) * kTau / 8);
}

// Two-pole low-pass (state variable filter), cutoff in Hz.
struct LowPass {
    double low = 0, band = 0;
    double run(double x, double cutoff, double q) {
        double f = 2.0 * std::sin(kTau / 2 * std::min(cutoff, kRate / 6.0) / kRate);
        low += f * band;
        double high = x - low - q * band;
        band += f * high;
        return low;
    }
};

// Band-limited-enough saw: a naive saw smoothed by a one-pole; bright sounds are
// filtered further by every voice that uses it.
double saw(double phase) {
    return 2.0 * (phase - std::floor(phase)) - 1.0;
}
double pulse(double phase, double width) {
    return (phase - std::floor(phase)) < width ? 1.0 : -1.0;
}

struct Synth {
    Mixer mix;
    Rng noise;
    explicit Synth(size_t n, uint64_t seed) : mix(n), noise(seed) {}
    double white() { return noise.uniform() * 2.0 - 1.0; }

    void kick(size_t at, double vel) {
        const int len = kRate * 35 / 100;
        double phase = 0;
        for (int i = 0; i < len; ++i) {
            double t = static_cast<double>(i) / kRate;
            double f = 45 + 110 * std::exp(-t * 30);
            phase += f / kRate;
            double env = std::exp(-t * 9) * std::min(1.0, i / 40.0);
            double v = std::sin(kTau * phase) * env * vel + 0.3 * std::exp(-t * 300) * white() * vel;
            mix.put(at + i, v, v, 0.0, 0.05);
        }
    }
    void snare(size_t at, double vel) {
        const int len = kRate / 4;
        double prev = 0;
        for (int i = 0; i < len; ++i) {
            double t = static_cast<double>(i) / kRate;
            double w = white();
            double hp = w - prev;
            prev = w;
            double v =
                (0.55 * hp * std::exp(-t * 18) + 0.5 * std::sin(kTau * 185 * t) * std::exp(-t * 35)) * vel;
            mix.put(at + i, v * 0.95, v, 0.08, 0.35);
        }
    }
    void hat(size_t at, double vel, bool open) {
        const int len = open ? kRate / 4 : kRate / 20;
        double a = 0, b = 0;
        for (int i = 0; i < len; ++i) {
            double t = static_cast<double>(i) / kRate;
            double w = white();
            double hp = w - 2 * a + b; // second difference: a bright, high-passed hiss
            b = a;
            a = w;
            double v = hp * 0.25 * vel * std::exp(-t * (open ? 14 : 70));
            mix.put(at + i, v * 0.8, v, 0.0, 0.12);
        }
    }
    void crash(size_t at, double vel) {
        const int len = kRate * 2;
        double a = 0;
        for (int i = 0; i < len; ++i) {
            double t = static_cast<double>(i) / kRate;
            double w = white();
            double hp = w - a;
            a = w;
            double v = hp * 0.3 * vel * std::exp(-t * 2.2);
            mix.put(at + i, v, v * 0.9, 0.0, 0.3);
        }
    }
    // A sweep of filtered noise rising over len samples into a downbeat.
    void riser(size_t at, int len, double vel) {
        LowPass lp;
        for (int i = 0; i < len; ++i) {
            double x = static_cast<double>(i) / len;
            double v = lp.run(white(), 300 + 7000 * x * x, 0.6) * vel * x * x;
            double pan = std::sin(x * 20);
            mix.put(at + i, v * panLeft(pan), v * panRight(pan), 0.2, 0.3);
        }
    }
    void bass(size_t at, int len, int note, double vel, double bright) {
        LowPass lp;
        double hz = midiHz(note), phase = 0, sub = 0;
        int total = len + kRate / 50;
        for (int i = 0; i < total; ++i) {
            double t = static_cast<double>(i) / kRate;
            phase += hz / kRate;
            sub += hz / 2 / kRate;
            double env = (i < len ? 1.0 : std::exp(-(i - len) / (kRate * 0.004))) * std::min(1.0, i / 60.0);
            double cutoff = 180 + bright * 1400 * std::exp(-t * 14);
            double x = 0.6 * saw(phase) + 0.4 * pulse(phase, 0.5);
            double v = (lp.run(x, cutoff, 0.5) + 0.45 * std::sin(kTau * sub)) * env * vel;
            mix.put(at + i, v, v, 0.0, 0.02);
        }
    }
    void pad(size_t at, int len, int note, double vel, double bright) {
        const double detune[3] = {-0.11, 0.0, 0.12};
        const double pans[3] = {-0.7, 0.0, 0.7};
        LowPass lp[3];
        double phase[3] = {0.13, 0.51, 0.77};
        int release = kRate * 3 / 2;
        for (int i = 0; i < len + release; ++i) {
            double t = static_cast<double>(i) / kRate;
            double env = std::min(1.0, t / 0.6);
            if (i >= len)
                env *= std::exp(-(i - len) / (kRate * 0.45));
            double l = 0, r = 0;
            for (int k = 0; k < 3; ++k) {
                phase[k] += midiHz(note + detune[k]) / kRate;
                double v = lp[k].run(saw(phase[k]), 500 + 2200 * bright + 300 * std::sin(t * 1.3 + k), 0.8);
                l += v * panLeft(pans[k]);
                r += v * panRight(pans[k]);
            }
            mix.put(at + i, l * env * vel, r * env * vel, 0.1, 0.5);
        }
    }
    void pluck(size_t at, int note, double vel, double bright, double pan) {
        LowPass lp;
        double hz = midiHz(note), phase = 0;
        int len = kRate / 3;
        for (int i = 0; i < len; ++i) {
            double t = static_cast<double>(i) / kRate;
            phase += hz / kRate;
            double env = std::exp(-t * 14) * std::min(1.0, i / 30.0);
            double v = lp.run(pulse(phase, 0.3), 400 + bright * 5000 * std::exp(-t * 20), 0.7) * env * vel;
            mix.put(at + i, v * panLeft(pan), v * panRight(pan), 0.45, 0.2);
        }
    }
    void lead(size_t at, int len, int note, double vel) {
        LowPass lp;
        double hz = midiHz(note), phase = 0;
        int release = kRate / 5;
        for (int i = 0; i < len + release; ++i) {
            double t = static_cast<double>(i) / kRate;
            double vib = 1.0 + 0.006 * std::sin(kTau * 5.5 * t) * std::min(1.0, t / 0.3);
            phase += hz * vib / kRate;
            double env = std::min(1.0, t / 0.015) * (0.75 + 0.25 * std::exp(-t * 6));
            if (i >= len)
                env *= std::exp(-(i - len) / (kRate * 0.05));
            double x = 0.6 * pulse(phase, 0.25 + 0.1 * std::sin(t * 3)) + 0.4 * saw(phase * 1.003);
            double v = lp.run(x, 2600 + 1200 * std::exp(-t * 8), 0.9) * env * vel;
            mix.put(at + i, v, v, 0.35, 0.25);
        }
    }
};

// Stereo echo of the echo bus: three sixteenths, crossing sides, feeding back.
// Run over the loop twice so the echoes that ring over the end land at the start.
void applyEcho(Mixer& m) {
    size_t n = m.size();
    size_t delay = 3 * kStepSamples;
    std::vector<float> bl(delay, 0.0f), br(delay, 0.0f);
    size_t p = 0;
    for (int pass = 0; pass < 2; ++pass)
        for (size_t i = 0; i < n; ++i) {
            float inL = m.echo.left[i], inR = m.echo.right[i];
            float outL = bl[p], outR = br[p];
            bl[p] = inR + outR * 0.45f; // ping-pong: each side feeds the other
            br[p] = inL + outL * 0.45f;
            p = (p + 1) % delay;
            if (pass == 1) {
                m.dry.left[i] += outL * 0.6f;
                m.dry.right[i] += outR * 0.6f;
            }
        }
}

// A small room: four feedback combs and two all-passes per side (Schroeder).
void applyRoom(Mixer& m) {
    size_t n = m.size();
    struct Line {
        std::vector<float> buf;
        size_t pos = 0;
        float state = 0;
        explicit Line(size_t len) : buf(len, 0.0f) {}
    };
    auto run = [&](std::vector<float>& in, std::vector<float>& out, int spread) {
        std::vector<Line> combs, alls;
        for (int len : {1557, 1617, 1491, 1422})
            combs.emplace_back(static_cast<size_t>(len + spread));
        for (int len : {225, 556})
            alls.emplace_back(static_cast<size_t>(len + spread));
        for (int pass = 0; pass < 2; ++pass)
            for (size_t i = 0; i < n; ++i) {
                float x = in[i] * 0.25f, sum = 0;
                for (Line& c : combs) {
                    float y = c.buf[c.pos];
                    c.state = y * 0.7f + c.state * 0.3f; // damped feedback
                    c.buf[c.pos] = x + c.state * 0.8f;
                    c.pos = (c.pos + 1) % c.buf.size();
                    sum += y;
                }
                for (Line& a : alls) {
                    float d = a.buf[a.pos];
                    float y = -sum + d;
                    a.buf[a.pos] = sum + d * 0.5f;
                    a.pos = (a.pos + 1) % a.buf.size();
                    sum = y;
                }
                if (pass == 1)
                    out[i] += sum * 0.5f;
            }
    };
    run(m.room.left, m.dry.left, 0);
    run(m.room.right, m.dry.right, 23);
}

} // namespace

double Song::peakDb() const {
    int peak = 0;
    for (int16_t s : samples)
        peak = std::max(peak, std::abs(static_cast<int>(s)));
    return peak > 0 ? 20.0 * std::log10(peak / 32768.0) : -200.0;
}

Song renderSong(uint64_t seed) {
    const size_t barSamples = static_cast<size_t>(kStepSamples) * kStepsPerBar;
    const size_t n = barSamples * kSongBars;
    Synth s(n, seed ^ 0x5151);
    Rng accents(seed ^ 0xACCE);
    auto stepAt = [&](int bar, int step) {
        return static_cast<size_t>(bar) * barSamples + static_cast<size_t>(step) * kStepSamples;
    };

    for (int bar = 0; bar < kSongBars; ++bar) {
        Section sec = sectionOf(bar);
        Chord ch = chordOf(bar);
        int inSec = sec == Section::Intro       ? bar
                    : sec == Section::Build     ? bar - 16
                    : sec == Section::Theme     ? bar - 32
                    : sec == Section::Breakdown ? bar - 64
                                                : bar - 80;
        bool lastBars = sec == Section::Reprise && bar >= 94; // wind down into the intro

        // Brightness of the filters: opens through intro and build-up.
        double bright = sec == Section::Intro       ? 0.1 + 0.25 * inSec / 16.0
                        : sec == Section::Build     ? 0.35 + 0.55 * inSec / 16.0
                        : sec == Section::Breakdown ? 0.3
                                                    : 0.9;
        if (lastBars)
            bright = 0.3;

        // Pad: the chord, one bar long, always.
        double padVel = sec == Section::Breakdown ? 0.16 : (sec == Section::Intro ? 0.15 : 0.11);
        for (int k : {12 + 12, 12 + 12 + ch.third, 12 + 12 + ch.fifth})
            s.pad(stepAt(bar, 0), static_cast<int>(barSamples), ch.root + k, padVel, bright);

        // Arpeggio: from the second half of the intro on, every sixteenth.
        if ((sec == Section::Intro && inSec >= 4) || sec != Section::Intro) {
            const int pattern[8] = {0, 12, 7, 12 + ch.third, 24, 12 + ch.fifth, 12, ch.third};
            for (int st = 0; st < kStepsPerBar; ++st) {
                if (sec == Section::Breakdown && st % 2 == 1)
                    continue;
                int note = ch.root + 24 + pattern[st % 8] + (st >= 8 && pattern[st % 8] == 0 ? 0 : 0);
                if (pattern[st % 8] == ch.third)
                    note = ch.root + 24 + ch.third;
                double vel = (st % 4 == 0 ? 0.16 : 0.11) * (0.9 + 0.2 * accents.uniform());
                s.pluck(stepAt(bar, st), note, vel, bright, st % 2 ? 0.5 : -0.5);
            }
        }

        // Bass: from the middle of the build-up; long notes in the breakdown.
        bool bassOn =
            (sec == Section::Build && inSec >= 4) || sec == Section::Theme || sec == Section::Reprise;
        if (bassOn && !lastBars) {
            for (int st = 0; st < kStepsPerBar; st += 2) {
                int note = ch.root - 12 + ((st % 8 == 6) ? 12 : 0);
                s.bass(stepAt(bar, st), kStepSamples * 2 - 400, note, st % 4 == 0 ? 0.42 : 0.34, bright);
            }
        } else if (sec == Section::Breakdown && inSec >= 8) {
            s.bass(stepAt(bar, 0), static_cast<int>(barSamples) - 800, ch.root - 12, 0.3, 0.2);
        }

        // Drums.
        bool kickOn = sec == Section::Build || sec == Section::Theme ||
                      (sec == Section::Reprise && !lastBars) || (sec == Section::Breakdown && inSec >= 14);
        if (kickOn)
            for (int st = 0; st < kStepsPerBar; st += 4)
                s.kick(stepAt(bar, st), 0.9);
        bool snareOn = (sec == Section::Build && inSec >= 8) || sec == Section::Theme ||
                       (sec == Section::Reprise && !lastBars);
        if (snareOn)
            for (int st : {4, 12})
                s.snare(stepAt(bar, st), 0.55);
        if (sec == Section::Build && inSec >= 12) { // the roll into the theme
            int every = inSec >= 15 ? 1 : (inSec >= 14 ? 2 : 4);
            for (int st = 0; st < kStepsPerBar; st += every) {
                double rise = (inSec - 12 + st / 16.0) / 4.0;
                s.snare(stepAt(bar, st), 0.15 + 0.35 * rise);
            }
        }
        bool hatsOn = (sec == Section::Intro && inSec >= 12) || sec == Section::Build ||
                      sec == Section::Theme || sec == Section::Reprise;
        if (hatsOn)
            for (int st = 0; st < kStepsPerBar; ++st) {
                bool full = sec == Section::Theme || sec == Section::Reprise;
                if (!full && st % 2 == 1)
                    continue;
                double vel = (st % 4 == 2 ? 0.7 : 0.35) * (0.85 + 0.3 * accents.uniform());
                if (sec == Section::Intro)
                    vel *= 0.5;
                s.hat(stepAt(bar, st), vel, full && st % 4 == 2 && !lastBars);
            }
        if (bar == 32 || bar == 48 || bar == 80)
            s.crash(stepAt(bar, 0), 0.8);
        if (bar == 28)
            s.riser(stepAt(bar, 0), static_cast<int>(barSamples * 4), 0.5);
        if (bar == 76)
            s.riser(stepAt(bar, 0), static_cast<int>(barSamples * 4), 0.4);

        // Lead: the theme in the theme and the reprise, the slow line in the breakdown.
        auto play = [&](const std::vector<Note>& line, int firstBar, int transpose, double vel) {
            int st = 0;
            for (const Note& nt : line) {
                if (nt.note > 0)
                    s.lead(stepAt(firstBar, st), nt.steps * kStepSamples - 600, nt.note + transpose, vel);
                st += nt.steps;
            }
        };
        if ((sec == Section::Theme || sec == Section::Reprise) && inSec % 8 == 0 &&
            !(sec == Section::Reprise && inSec >= 8))
            play(kTheme, bar, (sec == Section::Theme && inSec >= 16) ? 12 : 0, 0.2);
        if (sec == Section::Reprise && inSec == 8) // the last phrase an octave up, softer
            play(kTheme, bar, 12, 0.15);
        if (sec == Section::Breakdown && inSec % 4 == 0 && inSec >= 4)
            play(kSlowLine, bar, 0, 0.16);
    }

    applyEcho(s.mix);
    applyRoom(s.mix);

    // Master: a gentle saturation, then the peak set to -3.5 dBFS: the MP3 encoder's
    // filtering lets peaks overshoot by up to about 1.5 dB, and -1 dBFS is the limit
    // for the decoded stream.
    std::vector<double> out(n * 2);
    double peak = 0;
    for (size_t i = 0; i < n; ++i) {
        double l = std::tanh(s.mix.dry.left[i] * 1.2), r = std::tanh(s.mix.dry.right[i] * 1.2);
        out[2 * i] = l;
        out[2 * i + 1] = r;
        peak = std::max(peak, std::max(std::fabs(l), std::fabs(r)));
    }
    double gain = peak > 0 ? std::pow(10.0, -3.5 / 20.0) / peak : 1.0;
    Song song;
    song.samples.resize(n * 2);
    for (size_t i = 0; i < n * 2; ++i)
        song.samples[i] = static_cast<int16_t>(std::lround(std::clamp(out[i] * gain, -1.0, 1.0) * 32767.0));
    return song;
}

std::vector<uint8_t> wavBytes(const Song& song) {
    std::vector<uint8_t> b;
    auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    auto u16 = [&](uint16_t v) {
        b.push_back(static_cast<uint8_t>(v));
        b.push_back(static_cast<uint8_t>(v >> 8));
    };
    auto tag = [&](const char* t) { b.insert(b.end(), t, t + 4); };
    uint32_t dataBytes = static_cast<uint32_t>(song.samples.size() * 2);
    tag("RIFF");
    u32(36 + dataBytes);
    tag("WAVE");
    tag("fmt ");
    u32(16);
    u16(1); // PCM
    u16(2);
    u32(static_cast<uint32_t>(song.rate));
    u32(static_cast<uint32_t>(song.rate * 4));
    u16(4);
    u16(16);
    tag("data");
    u32(dataBytes);
    for (int16_t s : song.samples)
        u16(static_cast<uint16_t>(s));
    return b;
}

bool writeWav(const std::string& path, const Song& song) {
    std::vector<uint8_t> bytes = wavBytes(song);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace content
