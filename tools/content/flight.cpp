#include "flight.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace content {

V3 Spline::at(double t) const {
    int n = static_cast<int>(points_.size());
    if (n == 1)
        return points_[0];
    int segments = closed_ ? n : n - 1;
    double s = std::clamp(t, 0.0, 1.0) * segments;
    int i = std::min(static_cast<int>(s), segments - 1);
    double u = s - i;
    auto p = [&](int k) {
        if (closed_)
            return points_[((k % n) + n) % n];
        return points_[std::clamp(k, 0, n - 1)];
    };
    V3 p0 = p(i - 1), p1 = p(i), p2 = p(i + 1), p3 = p(i + 2);
    if (!closed_ && i == 0)
        p0 = p1 * 2.0 - p2; // natural ends: extend the first and last segments straight
    if (!closed_ && i == segments - 1)
        p3 = p2 * 2.0 - p1;
    double u2 = u * u, u3 = u2 * u;
    return (p1 * 2.0 + (p2 - p0) * u + (p0 * 2.0 - p1 * 5.0 + p2 * 4.0 - p3) * u2 +
            (p1 * 3.0 - p0 - p2 * 3.0 + p3) * u3) *
           0.5;
}

namespace {

// count positions along the curve at the arc lengths travelled(x) * length, for key
// times x from 0 to 1; travelled rises from 0 to 1.
std::vector<V3> sampleByTravel(const Spline& spline, int count,
                               const std::function<double(double)>& travelled) {
    // Arc length table over a fine parameter grid.
    const int steps = 20000;
    std::vector<double> length(steps + 1, 0.0);
    V3 prev = spline.at(0);
    for (int i = 1; i <= steps; ++i) {
        V3 p = spline.at(static_cast<double>(i) / steps);
        length[i] = length[i - 1] + content::length(p - prev);
        prev = p;
    }
    double total = length[steps];
    std::vector<V3> out;
    out.reserve(count);
    int j = 0;
    for (int k = 0; k < count; ++k) {
        double x = count > 1 ? static_cast<double>(k) / (count - 1) : 0.0;
        double target = travelled(x) * total;
        while (j < steps && length[j + 1] < target)
            ++j;
        double seg = length[j + 1] - length[j];
        double f = seg > 0 ? (target - length[j]) / seg : 0.0;
        f = std::clamp(f, 0.0, 1.0);
        out.push_back(spline.at((j + f) / steps));
    }
    return out;
}

} // namespace

std::vector<V3> sampleFlight(const Spline& spline, int count, double ease) {
    // Distance travelled as a function of key time x in 0..1: constant speed with
    // smooth (sine) ramps over the first and last `ease` of the time.
    auto travelled = [&](double x) {
        if (ease <= 0)
            return x;
        double e = ease;
        double cruise = 1.0 - e; // area under speed 1 with two half-sine ramps of length e
        double d;
        if (x < e)
            d = (x - e / kPi * std::sin(kPi * x / e)) / 2.0;
        else if (x > 1.0 - e)
            d = cruise - (1.0 - x - e / kPi * std::sin(kPi * (1.0 - x) / e)) / 2.0;
        else
            d = e / 2.0 + (x - e);
        return d / cruise;
    };
    return sampleByTravel(spline, count, travelled);
}

std::vector<V3> sampleFlightPaced(const Spline& spline, int count,
                                  const std::function<double(double)>& speed) {
    // The integral of the speed over key time, tabulated and normalised.
    const int steps = 4096;
    std::vector<double> travelled(steps + 1, 0.0);
    for (int i = 1; i <= steps; ++i)
        travelled[i] = travelled[i - 1] + speed((i - 0.5) / steps);
    for (double& t : travelled)
        t /= travelled[steps];
    return sampleByTravel(spline, count, [&](double x) {
        double s = std::clamp(x, 0.0, 1.0) * steps;
        int i = std::min(static_cast<int>(s), steps - 1);
        return travelled[i] + (travelled[i + 1] - travelled[i]) * (s - i);
    });
}

std::vector<tds::Vec3> toKeys(const std::vector<V3>& positions) {
    std::vector<tds::Vec3> keys;
    keys.reserve(positions.size());
    for (const V3& p : positions)
        keys.push_back({static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)});
    return keys;
}

} // namespace content
