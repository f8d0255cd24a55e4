#include "loudness.h"

#include <algorithm>
#include <cmath>

namespace content {

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Biquad {
    double b0, b1, b2, a1, a2;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    double run(double x) {
        double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
};

// The two stages of the K-weighting filter (a high shelf, then a high-pass) for
// any sample rate, from their analogue prototypes.
Biquad shelf(int rate) {
    const double f0 = 1681.974450955533, gainDb = 3.999843853973347, q = 0.7071752369554196;
    double k = std::tan(kPi * f0 / rate), vh = std::pow(10.0, gainDb / 20.0);
    double vb = std::pow(vh, 0.4996667741545416), a0 = 1.0 + k / q + k * k;
    return {(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
            2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}
Biquad highPass(int rate) {
    const double f0 = 38.13547087602444, q = 0.5003270373238773;
    double k = std::tan(kPi * f0 / rate), a0 = 1.0 + k / q + k * k;
    return {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

double lufs(double power) {
    return -0.691 + 10.0 * std::log10(std::max(power, 1e-20));
}

// Mean K-weighted power (summed over both channels) of each window of `window`
// 100 ms steps, moved on by one step.
std::vector<double> windowPowers(const std::vector<double>& steps, size_t window) {
    std::vector<double> out;
    for (size_t i = 0; i + window <= steps.size(); ++i) {
        double sum = 0;
        for (size_t k = 0; k < window; ++k)
            sum += steps[i + k];
        out.push_back(sum / window);
    }
    return out;
}

double gatedIntegrated(const std::vector<double>& blocks) {
    auto meanAbove = [&](double gate) {
        double sum = 0;
        size_t n = 0;
        for (double p : blocks)
            if (lufs(p) > gate) {
                sum += p;
                ++n;
            }
        return n ? sum / n : 0.0;
    };
    double relative = lufs(meanAbove(-70.0)) - 10.0;
    return lufs(meanAbove(std::max(-70.0, relative)));
}

double loudnessRange(const std::vector<double>& shortTerm) {
    std::vector<double> levels;
    double sum = 0;
    for (double p : shortTerm)
        if (lufs(p) > -70.0) {
            levels.push_back(lufs(p));
            sum += p;
        }
    if (levels.empty())
        return 0;
    double gate = lufs(sum / levels.size()) - 20.0;
    levels.erase(std::remove_if(levels.begin(), levels.end(), [&](double l) { return l <= gate; }),
                 levels.end());
    std::sort(levels.begin(), levels.end());
    auto at = [&](double share) { return levels[static_cast<size_t>(share * (levels.size() - 1) + 0.5)]; };
    return levels.empty() ? 0 : at(0.95) - at(0.10);
}

} // namespace

double truePeakDb(const std::vector<double>& samples) {
    // Four-times oversampling with a windowed-sinc interpolator, 12 taps a phase.
    const int taps = 12, factor = 4;
    double coefficient[factor][taps];
    for (int phase = 0; phase < factor; ++phase)
        for (int k = 0; k < taps; ++k) {
            double x = (k - taps / 2 + 1) - static_cast<double>(phase) / factor;
            double sinc = x == 0 ? 1.0 : std::sin(kPi * x) / (kPi * x);
            double window = 0.5 + 0.5 * std::cos(kPi * x / (taps / 2));
            coefficient[phase][k] = sinc * window;
        }
    size_t frames = samples.size() / 2;
    double peak = 0;
    for (size_t c = 0; c < 2; ++c)
        for (size_t i = 0; i < frames; ++i) {
            peak = std::max(peak, std::fabs(samples[2 * i + c]));
            for (int phase = 1; phase < factor; ++phase) {
                double sum = 0;
                for (int k = 0; k < taps; ++k) {
                    size_t j = (i + frames + k - taps / 2) % frames; // the song is a loop
                    sum += coefficient[phase][k] * samples[2 * j + c];
                }
                peak = std::max(peak, std::fabs(sum));
            }
        }
    return peak > 0 ? 20.0 * std::log10(peak) : -200.0;
}

Loudness measureLoudness(const std::vector<double>& samples, int rate, bool withTruePeak) {
    Biquad filters[2][2] = {{shelf(rate), highPass(rate)}, {shelf(rate), highPass(rate)}};
    size_t frames = samples.size() / 2, step = static_cast<size_t>(rate) / 10;
    std::vector<double> steps; // K-weighted power of each 100 ms
    double sum = 0;
    for (size_t i = 0; i < frames; ++i) {
        for (int c = 0; c < 2; ++c) {
            double y = filters[c][1].run(filters[c][0].run(samples[2 * i + c]));
            sum += y * y;
        }
        if ((i + 1) % step == 0) {
            steps.push_back(sum / step);
            sum = 0;
        }
    }
    Loudness l;
    l.integrated = gatedIntegrated(windowPowers(steps, 4)); // 400 ms blocks
    l.range = loudnessRange(windowPowers(steps, 30));       // 3 s windows
    if (withTruePeak)
        l.truePeak = truePeakDb(samples);
    return l;
}

} // namespace content
