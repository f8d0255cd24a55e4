// Camera flights: a smooth curve through control points, sampled into one
// position key per frame. The demo takes the keys one per pass without
// interpolation, so the keys must already be evenly spread along the curve: the
// curve is resampled by arc length, with an optional easing at both ends.
#pragma once

#include "geometry.h"

#include <functional>
#include <vector>

namespace content {

// Catmull-Rom curve through points; closed curves return to the first point.
class Spline {
  public:
    Spline(std::vector<V3> points, bool closed) : points_(std::move(points)), closed_(closed) {}
    // Position at t in 0..1 over the whole curve.
    V3 at(double t) const;

  private:
    std::vector<V3> points_;
    bool closed_;
};

// count positions along the curve, spaced by equal arc length; ease (0..0.5) is
// the share of the keys at each end over which the speed rises from and falls to
// zero; 0 gives a constant speed (for closed loops).
std::vector<V3> sampleFlight(const Spline& spline, int count, double ease);

// count positions along the curve where the speed over key time x (0..1) follows
// speed(x) > 0, scaled so that the keys cover the whole curve.
std::vector<V3> sampleFlightPaced(const Spline& spline, int count,
                                  const std::function<double(double)>& speed);

std::vector<tds::Vec3> toKeys(const std::vector<V3>& positions);

} // namespace content
