// Loudness of a stereo signal as broadcast meters measure it: K-weighted,
// gated integrated loudness and loudness range (EBU R128 / ITU-R BS.1770),
// and the true peak (the peak of the signal oversampled four times).
#pragma once

#include <vector>

namespace content {

struct Loudness {
    double integrated = -70; // LUFS
    double range = 0;        // LU
    double truePeak = -200;  // dBTP
};

// Measures interleaved left/right samples at the given rate (full scale = 1).
Loudness measureLoudness(const std::vector<double>& samples, int rate, bool withTruePeak = true);
// The true peak alone, in dBTP.
double truePeakDb(const std::vector<double>& samples);

} // namespace content
