// Deterministic random numbers and value noise for the content generators. The
// standard library's distributions differ between implementations, so everything
// here is computed by our own integer arithmetic: a seed gives the same content
// with any compiler.
#pragma once

#include <cmath>
#include <cstdint>

namespace content {

// splitmix64: small, fast and well mixed; enough for procedural content.
class Rng {
  public:
    explicit Rng(uint64_t seed) : state_(seed) {}

    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
    double range(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    // Uniform integer in [0, n).
    int below(int n) { return static_cast<int>(uniform() * n); }
    // A new generator whose stream is independent of this one's.
    Rng fork(uint64_t salt) { return Rng(next() ^ (salt * 0xD1B54A32D192ED03ull)); }

  private:
    uint64_t state_;
};

// Hash of integer lattice coordinates to [0, 1).
inline double latticeValue(int x, int y, int z, uint32_t seed) {
    uint32_t h = seed * 0x27D4EB2Du;
    h ^= static_cast<uint32_t>(x) * 0x85EBCA6Bu;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<uint32_t>(y) * 0xC2B2AE35u;
    h = (h << 17) | (h >> 15);
    h ^= static_cast<uint32_t>(z) * 0x165667B1u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return (h >> 8) * (1.0 / 16777216.0);
}

// Smooth value noise in [0, 1); period px, py in x and y (0: no wrap) so textures tile.
inline double valueNoise(double x, double y, double z, uint32_t seed, int px = 0, int py = 0) {
    auto wrap = [](int i, int p) { return p > 0 ? ((i % p) + p) % p : i; };
    int xi = static_cast<int>(std::floor(x)), yi = static_cast<int>(std::floor(y)),
        zi = static_cast<int>(std::floor(z));
    double fx = x - xi, fy = y - yi, fz = z - zi;
    auto fade = [](double t) { return t * t * (3.0 - 2.0 * t); };
    double ux = fade(fx), uy = fade(fy), uz = fade(fz);
    double c[2][2][2];
    for (int dz = 0; dz < 2; ++dz)
        for (int dy = 0; dy < 2; ++dy)
            for (int dx = 0; dx < 2; ++dx)
                c[dz][dy][dx] = latticeValue(wrap(xi + dx, px), wrap(yi + dy, py), zi + dz, seed);
    auto lerp = [](double a, double b, double t) { return a + (b - a) * t; };
    double a0 = lerp(lerp(c[0][0][0], c[0][0][1], ux), lerp(c[0][1][0], c[0][1][1], ux), uy);
    double a1 = lerp(lerp(c[1][0][0], c[1][0][1], ux), lerp(c[1][1][0], c[1][1][1], ux), uy);
    return lerp(a0, a1, uz);
}

// Fractal sum of value noise, normalised to [0, 1).
inline double fbm(double x, double y, double z, uint32_t seed, int octaves, int px = 0, int py = 0) {
    double sum = 0, amp = 1, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * valueNoise(x, y, z, seed + static_cast<uint32_t>(o) * 101u, px, py);
        norm += amp;
        amp *= 0.5;
        x *= 2;
        y *= 2;
        z *= 2;
        px *= 2;
        py *= 2;
    }
    return sum / norm;
}

} // namespace content
