#include "music.h"

#include "loudness.h"
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
constexpr size_t kBarSamples = static_cast<size_t>(kStepSamples) * kStepsPerBar;

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
// A pulse wave with its mean taken out: a narrow pulse would otherwise carry a
// constant offset into the mix.
double pulse(double phase, double width) {
    return ((phase - std::floor(phase)) < width ? 1.0 : -1.0) - (2.0 * width - 1.0);
}

// DC blocker: a one-pole high-pass at about 20 Hz.
struct DcBlocker {
    double x1 = 0, y1 = 0;
    double run(double x) {
        const double r = 1.0 - kTau * 20.0 / kRate;
        double y = x - x1 + r * y1;
        x1 = x;
        y1 = y;
        return y;
    }
};

struct Synth {
    Mixer mix;
    Rng noise;
    double level = 1.0; // the loudness of the section being played, applied to every voice
    explicit Synth(size_t n, uint64_t seed) : mix(n), noise(seed) {}
    double white() { return noise.uniform() * 2.0 - 1.0; }

    void kick(size_t at, double vel) {
        vel *= level;
        DcBlocker dc;
        const int len = kRate * 35 / 100;
        double phase = 0;
        for (int i = 0; i < len; ++i) {
            double t = static_cast<double>(i) / kRate;
            double f = 45 + 110 * std::exp(-t * 30);
            phase += f / kRate;
            double env = std::exp(-t * 9) * std::min(1.0, i / 40.0);
            double v = dc.run(std::sin(kTau * phase) * env * vel + 0.3 * std::exp(-t * 300) * white() * vel);
            mix.put(at + i, v, v, 0.0, 0.05);
        }
    }
    void snare(size_t at, double vel) {
        vel *= level;
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
        vel *= level;
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
        vel *= level;
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
        vel *= level;
        LowPass lp;
        for (int i = 0; i < len; ++i) {
            double x = static_cast<double>(i) / len;
            double v = lp.run(white(), 300 + 7000 * x * x, 0.6) * vel * x * x;
            double pan = std::sin(x * 20);
            mix.put(at + i, v * panLeft(pan), v * panRight(pan), 0.2, 0.3);
        }
    }
    void bass(size_t at, int len, int note, double vel, double bright) {
        vel *= level;
        LowPass lp;
        DcBlocker dc;
        double hz = midiHz(note), phase = 0, sub = 0;
        int total = len + kRate / 50;
        for (int i = 0; i < total; ++i) {
            double t = static_cast<double>(i) / kRate;
            phase += hz / kRate;
            sub += hz / 2 / kRate;
            double env = (i < len ? 1.0 : std::exp(-(i - len) / (kRate * 0.004))) * std::min(1.0, i / 60.0);
            double cutoff = 180 + bright * 1400 * std::exp(-t * 14);
            double x = 0.6 * saw(phase) + 0.4 * pulse(phase, 0.5);
            double v = dc.run((lp.run(x, cutoff, 0.5) + 0.45 * std::sin(kTau * sub)) * env * vel);
            mix.put(at + i, v, v, 0.0, 0.02);
        }
    }
    void pad(size_t at, int len, int note, double vel, double bright) {
        const double detune[3] = {-0.11, 0.0, 0.12};
        const double pans[3] = {-0.7, 0.0, 0.7};
        vel *= level;
        LowPass lp[3];
        DcBlocker dcLeft, dcRight;
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
            mix.put(at + i, dcLeft.run(l * env * vel), dcRight.run(r * env * vel), 0.1, 0.5);
        }
    }
    void pluck(size_t at, int note, double vel, double bright, double pan) {
        vel *= level;
        LowPass lp;
        DcBlocker dc;
        double hz = midiHz(note), phase = 0;
        int len = kRate / 3;
        for (int i = 0; i < len; ++i) {
            double t = static_cast<double>(i) / kRate;
            phase += hz / kRate;
            double env = std::exp(-t * 14) * std::min(1.0, i / 30.0);
            double v =
                dc.run(lp.run(pulse(phase, 0.3), 400 + bright * 5000 * std::exp(-t * 20), 0.7) * env * vel);
            mix.put(at + i, v * panLeft(pan), v * panRight(pan), 0.45, 0.2);
        }
    }
    void lead(size_t at, int len, int note, double vel) {
        vel *= level;
        LowPass lp;
        DcBlocker dc;
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
            double v = dc.run(lp.run(x, 2600 + 1200 * std::exp(-t * 8), 0.9) * env * vel);
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

// Where a bar stands in the song and how it sounds.
struct BarPlan {
    int bar;
    Section sec;
    Chord ch;
    int inSec;     // bar within its section
    bool lastBars; // the reprise's last two bars, winding down into the intro
    double bright; // brightness of the filters
    double level;  // loudness of the section
};

BarPlan planBar(int bar) {
    BarPlan p{bar, sectionOf(bar), chordOf(bar), 0, false, 0.9, 1.0};
    const int firstBar[5] = {0, 16, 32, 64, 80};
    p.inSec = bar - firstBar[static_cast<int>(p.sec)];
    p.lastBars = p.sec == Section::Reprise && bar >= 94;
    // The filters open through intro and build-up.
    if (p.sec == Section::Intro)
        p.bright = 0.1 + 0.25 * p.inSec / 16.0;
    else if (p.sec == Section::Build)
        p.bright = 0.35 + 0.55 * p.inSec / 16.0;
    else if (p.sec == Section::Breakdown || p.lastBars)
        p.bright = 0.3;
    // The sections' loudness: a soft intro swelling through the build-up, the
    // theme at full strength, a quiet breakdown rising back into the reprise.
    if (p.sec == Section::Intro)
        p.level = 0.42 + 0.08 * p.inSec / 16.0;
    else if (p.sec == Section::Build)
        p.level = 0.5 + 0.5 * p.inSec / 16.0;
    else if (p.sec == Section::Breakdown)
        p.level = p.inSec < 12 ? 0.45 : 0.45 + 0.4 * (p.inSec - 12) / 4.0;
    else if (p.lastBars)
        p.level = 0.6;
    return p;
}

class SongWriter {
  public:
    SongWriter(size_t n, uint64_t seed) : s(n, seed ^ 0x5151), accents(seed ^ 0xACCE) {}

    void playBar(const BarPlan& p) {
        s.level = p.level;
        pad(p);
        arpeggio(p);
        bass(p);
        drums(p);
        lead(p);
    }
    Mixer& mix() { return s.mix; }

  private:
    static size_t stepAt(int bar, int step) {
        return static_cast<size_t>(bar) * kBarSamples + static_cast<size_t>(step) * kStepSamples;
    }
    // The chord, one bar long, always.
    void pad(const BarPlan& p) {
        double vel = p.sec == Section::Breakdown ? 0.16 : (p.sec == Section::Intro ? 0.15 : 0.11);
        for (int k : {24, 24 + p.ch.third, 24 + p.ch.fifth})
            s.pad(stepAt(p.bar, 0), static_cast<int>(kBarSamples), p.ch.root + k, vel, p.bright);
    }
    // From the second half of the intro on, every sixteenth (every eighth in the breakdown).
    void arpeggio(const BarPlan& p) {
        if (p.sec == Section::Intro && p.inSec < 4)
            return;
        const int pattern[8] = {0, 12, 7, 12 + p.ch.third, 24, 12 + p.ch.fifth, 12, p.ch.third};
        for (int st = 0; st < kStepsPerBar; ++st) {
            if (p.sec == Section::Breakdown && st % 2 == 1)
                continue;
            int note = p.ch.root + 24 + pattern[st % 8];
            double vel = (st % 4 == 0 ? 0.16 : 0.11) * (0.9 + 0.2 * accents.uniform());
            s.pluck(stepAt(p.bar, st), note, vel, p.bright, st % 2 ? 0.5 : -0.5);
        }
    }
    // From the middle of the build-up; long notes in the breakdown's second half.
    void bass(const BarPlan& p) {
        bool on =
            (p.sec == Section::Build && p.inSec >= 4) || p.sec == Section::Theme || p.sec == Section::Reprise;
        if (on && !p.lastBars) {
            for (int st = 0; st < kStepsPerBar; st += 2) {
                int note = p.ch.root - 12 + ((st % 8 == 6) ? 12 : 0);
                s.bass(stepAt(p.bar, st), kStepSamples * 2 - 400, note, st % 4 == 0 ? 0.42 : 0.34, p.bright);
            }
        } else if (p.sec == Section::Breakdown && p.inSec >= 8) {
            s.bass(stepAt(p.bar, 0), static_cast<int>(kBarSamples) - 800, p.ch.root - 12, 0.3, 0.2);
        }
    }
    void drums(const BarPlan& p) {
        Section sec = p.sec;
        bool kickOn = sec == Section::Build || sec == Section::Theme ||
                      (sec == Section::Reprise && !p.lastBars) ||
                      (sec == Section::Breakdown && p.inSec >= 14);
        if (kickOn)
            for (int st = 0; st < kStepsPerBar; st += 4)
                s.kick(stepAt(p.bar, st), 0.9);
        bool snareOn = (sec == Section::Build && p.inSec >= 8) || sec == Section::Theme ||
                       (sec == Section::Reprise && !p.lastBars);
        if (snareOn)
            for (int st : {4, 12})
                s.snare(stepAt(p.bar, st), 0.55);
        if (sec == Section::Build && p.inSec >= 12) { // the roll into the theme
            int every = p.inSec >= 15 ? 1 : (p.inSec >= 14 ? 2 : 4);
            for (int st = 0; st < kStepsPerBar; st += every)
                s.snare(stepAt(p.bar, st), 0.15 + 0.35 * (p.inSec - 12 + st / 16.0) / 4.0);
        }
        hats(p);
        if (p.bar == 32 || p.bar == 48 || p.bar == 80)
            s.crash(stepAt(p.bar, 0), 0.8);
        if (p.bar == 28 || p.bar == 76)
            s.riser(stepAt(p.bar, 0), static_cast<int>(kBarSamples * 4), p.bar == 28 ? 0.5 : 0.4);
    }
    void hats(const BarPlan& p) {
        Section sec = p.sec;
        bool on = (sec == Section::Intro && p.inSec >= 12) || sec == Section::Build ||
                  sec == Section::Theme || sec == Section::Reprise;
        if (!on)
            return;
        bool full = sec == Section::Theme || sec == Section::Reprise;
        for (int st = 0; st < kStepsPerBar; ++st) {
            if (!full && st % 2 == 1)
                continue;
            double vel = (st % 4 == 2 ? 0.7 : 0.35) * (0.85 + 0.3 * accents.uniform());
            if (sec == Section::Intro)
                vel *= 0.5;
            s.hat(stepAt(p.bar, st), vel, full && st % 4 == 2 && !p.lastBars);
        }
    }
    // The theme in the theme and the reprise, the slow line in the breakdown.
    void lead(const BarPlan& p) {
        auto play = [&](const std::vector<Note>& line, int transpose, double vel) {
            int st = 0;
            for (const Note& nt : line) {
                if (nt.note > 0)
                    s.lead(stepAt(p.bar, st), nt.steps * kStepSamples - 600, nt.note + transpose, vel);
                st += nt.steps;
            }
        };
        bool melodic = p.sec == Section::Theme || p.sec == Section::Reprise;
        if (melodic && p.inSec % 8 == 0 && !(p.sec == Section::Reprise && p.inSec >= 8))
            play(kTheme, (p.sec == Section::Theme && p.inSec >= 16) ? 12 : 0, 0.2);
        if (p.sec == Section::Reprise && p.inSec == 8) // the last phrase an octave up, softer
            play(kTheme, 12, 0.15);
        if (p.sec == Section::Breakdown && p.inSec % 4 == 0 && p.inSec >= 4)
            play(kSlowLine, 0, 0.16);
    }

    Synth s;
    Rng accents;
};

// The master bus, run twice round the loop so that its state at the seam is that
// of a song playing on: a DC blocker per channel, then a gentle saturation.
std::vector<double> masterBus(const Mixer& m) {
    size_t n = m.size();
    std::vector<double> out(n * 2);
    DcBlocker dc[2];
    for (int pass = 0; pass < 2; ++pass)
        for (size_t i = 0; i < n; ++i) {
            double l = dc[0].run(m.dry.left[i]), r = dc[1].run(m.dry.right[i]);
            out[2 * i] = std::tanh(l * 1.2);
            out[2 * i + 1] = std::tanh(r * 1.2);
        }
    return out;
}

// A look-ahead limiter: the gain needed to keep every four-times oversampled peak
// below the ceiling, held over the look-ahead window, released slowly and
// smoothed over the same window, so that no peak gets through and no click is made.
void limit(std::vector<double>& x, double ceilingDb) {
    const size_t window = kRate / 500; // 2 ms
    const double ceiling = std::pow(10.0, ceilingDb / 20.0), release = std::exp(-1.0 / (0.12 * kRate));
    size_t n = x.size() / 2;
    std::vector<double> need(n, 1.0);
    for (size_t i = 0; i < n; ++i) {
        // The peak between this sample and the next, interpolated: a cheap bound on
        // the true peak the oversampling meter sees.
        size_t j = (i + 1) % n;
        double peak = 0;
        for (int c = 0; c < 2; ++c) {
            double a = x[2 * i + c], b = x[2 * j + c];
            peak = std::max({peak, std::fabs(a), std::fabs(b), std::fabs(0.5 * (a + b)) * 1.08});
        }
        need[i] = peak > ceiling ? ceiling / peak : 1.0;
    }
    std::vector<double> held(n), gain(n);
    for (size_t i = 0; i < n; ++i) {
        double g = 1.0;
        for (size_t k = 0; k < window; ++k)
            g = std::min(g, need[(i + k) % n]);
        held[i] = g;
    }
    double env = 1.0;
    for (int pass = 0; pass < 2; ++pass)
        for (size_t i = 0; i < n; ++i)
            env = held[i] < env ? held[i] : held[i] + (env - held[i]) * release;
    std::vector<double> smooth(n);
    for (size_t i = 0; i < n; ++i) {
        env = held[i] < env ? held[i] : held[i] + (env - held[i]) * release;
        smooth[i] = env;
    }
    double sum = 0;
    for (size_t k = 0; k < window; ++k)
        sum += smooth[(n - window + k) % n];
    for (size_t i = 0; i < n; ++i) {
        sum += smooth[i] - smooth[(i + n - window) % n];
        gain[i] = sum / window;
    }
    for (size_t i = 0; i < n; ++i) {
        x[2 * i] *= gain[i];
        x[2 * i + 1] *= gain[i];
    }
}

// Brings the song to the target loudness under the limiter's ceiling: the limiter
// takes a little loudness away, so the gain is found again after it, twice.
std::vector<double> master(const std::vector<double>& mixed) {
    const double targetLufs = -14.0, ceilingDb = -2.0;
    double gainDb = targetLufs - measureLoudness(mixed, kRate, false).integrated;
    std::vector<double> out;
    for (int round = 0; round < 3; ++round) {
        out = mixed;
        double g = std::pow(10.0, gainDb / 20.0);
        for (double& v : out)
            v *= g;
        limit(out, ceilingDb);
        gainDb += targetLufs - measureLoudness(out, kRate, false).integrated;
    }
    return out;
}

} // namespace

double Song::peakDb() const {
    int peak = 0;
    for (int16_t s : samples)
        peak = std::max(peak, std::abs(static_cast<int>(s)));
    return peak > 0 ? 20.0 * std::log10(peak / 32768.0) : -200.0;
}

Song renderSong(uint64_t seed, int bars) {
    const size_t n = kBarSamples * static_cast<size_t>(bars);
    SongWriter writer(n, seed);
    for (int bar = 0; bar < bars; ++bar)
        writer.playBar(planBar(bar));
    applyEcho(writer.mix());
    applyRoom(writer.mix());
    std::vector<double> out = master(masterBus(writer.mix()));
    Song song;
    song.samples.resize(n * 2);
    for (size_t i = 0; i < n * 2; ++i)
        song.samples[i] = static_cast<int16_t>(std::lround(std::clamp(out[i], -1.0, 1.0) * 32767.0));
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
