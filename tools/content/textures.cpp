#include "textures.h"

#include "font.h"
#include "geometry.h"
#include "rng.h"

#include <algorithm>
#include <cmath>

namespace content {

namespace {

float clamp01(double v) {
    return static_cast<float>(std::clamp(v, 0.0, 1.0));
}
double smooth(double e0, double e1, double x) {
    double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}
Color rgb(double r, double g, double b) {
    return {static_cast<float>(r), static_cast<float>(g), static_cast<float>(b)};
}
// A soft light seen in a mirror: brightness of direction d near light direction l.
double highlight(V3 d, V3 l, double sharpness) {
    return std::exp((dot(d, normalized(l)) - 1.0) * sharpness);
}

// Colour of the surroundings in direction d (eye space: y up, z toward the viewer).
Color environment(EnvStyle style, V3 d, uint32_t seed) {
    double up = d.y;
    // Ground plane coordinates for directions below the horizon.
    double gx = d.x / std::max(-up, 0.05), gz = d.z / std::max(-up, 0.05);
    double cloud = fbm(d.x * 3 + 10, d.y * 3, d.z * 3, seed, 4);
    switch (style) {
    case EnvStyle::Chrome: {
        Color c;
        if (up >= 0) {
            c = mix(rgb(0.80, 0.92, 1.0), rgb(0.08, 0.18, 0.55), static_cast<float>(std::pow(up, 0.55)));
            c = c + rgb(0.25, 0.25, 0.3) * static_cast<float>(smooth(0.55, 0.8, cloud) * up);
        } else {
            double checker =
                (static_cast<int>(std::floor(gx * 1.5)) + static_cast<int>(std::floor(gz * 1.5))) & 1;
            c = mix(rgb(0.55, 0.32, 0.15), rgb(0.12, 0.06, 0.04), static_cast<float>(std::pow(-up, 0.5)));
            c = c * static_cast<float>(0.75 + 0.25 * checker);
        }
        c = c + rgb(1.0, 1.0, 0.95) * static_cast<float>(std::exp(-std::fabs(up) * 25.0));
        c = c + rgb(1.0, 0.95, 0.85) * static_cast<float>(highlight(d, V3(0.45, 0.7, 0.55), 40));
        c = c + rgb(0.7, 0.85, 1.0) * static_cast<float>(highlight(d, V3(-0.8, 0.35, 0.3), 25));
        return c;
    }
    case EnvStyle::Slime: {
        // The lump and the cavern's wall share this map. Reflections straight back
        // at the viewer (the map's middle) glow: the lump's face and a halo on the
        // wall behind it. Further out the slime is dark, with glowing veins, so the
        // tendrils drawn over it stay readable.
        double cells = fbm(d.x * 2.5, d.y * 2.5, d.z * 2.5, seed + 7, 2);
        double veins = 1.0 - std::fabs(cells - 0.5) * 2.0;
        double back = smooth(0.6, 0.98, d.z);
        Color c = mix(rgb(0.0, 0.015, 0.01), rgb(0.01, 0.06, 0.03), static_cast<float>(0.5 + 0.5 * up));
        c = c + rgb(0.1, 0.45, 0.08) * static_cast<float>(std::pow(veins, 12.0));
        c = c + rgb(0.45, 1.0, 0.25) * static_cast<float>(back * (0.55 + 0.45 * cells));
        c = c + rgb(0.5, 0.9, 0.35) * static_cast<float>(highlight(d, V3(0.3, 0.8, 0.5), 60));
        return c;
    }
    case EnvStyle::Gold: {
        Color c;
        if (up >= 0) {
            c = mix(rgb(1.0, 0.55, 0.2), rgb(0.25, 0.08, 0.35), static_cast<float>(std::pow(up, 0.45)));
            c = c + rgb(0.3, 0.15, 0.1) * static_cast<float>(smooth(0.5, 0.75, cloud) * (1 - up));
        } else {
            double lines = std::max(std::pow(std::fabs(std::cos(gx * kPi)), 60.0),
                                    std::pow(std::fabs(std::cos(gz * kPi)), 60.0));
            c = mix(rgb(0.35, 0.12, 0.25), rgb(0.05, 0.0, 0.08), static_cast<float>(std::pow(-up, 0.4)));
            c = c + rgb(1.0, 0.7, 0.2) * static_cast<float>(lines * std::exp(up * 3.0));
        }
        c = c + rgb(1.0, 0.9, 0.6) * static_cast<float>(std::exp(-std::fabs(up) * 18.0));
        c = c + rgb(1.0, 0.95, 0.7) * static_cast<float>(highlight(d, V3(0.6, 0.15, 0.5), 60));
        return c;
    }
    case EnvStyle::Ember: {
        Color c;
        if (up >= 0)
            c = mix(rgb(0.9, 0.3, 0.1), rgb(0.25, 0.0, 0.02), static_cast<float>(std::pow(up, 0.5)));
        else
            c = mix(rgb(0.5, 0.05, 0.02), rgb(0.05, 0.0, 0.0), static_cast<float>(std::pow(-up, 0.5)));
        c = c * static_cast<float>(0.7 + 0.6 * cloud);
        c = c + rgb(1.0, 0.8, 0.5) * static_cast<float>(std::exp(-std::fabs(up) * 20.0));
        c = c + rgb(1.0, 0.9, 0.7) * static_cast<float>(highlight(d, V3(-0.5, 0.6, 0.6), 45));
        return c;
    }
    }
    return {};
}

} // namespace

Image sphereMap(EnvStyle style, int size, uint32_t seed) {
    Image img(size, size);
    const int ss = 2; // supersampling per axis
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            Color sum;
            for (int sy = 0; sy < ss; ++sy)
                for (int sx = 0; sx < ss; ++sx) {
                    double nx = 2.0 * (x + (sx + 0.5) / ss) / size - 1.0;
                    double ny = 1.0 - 2.0 * (y + (sy + 0.5) / ss) / size; // row 0 is the top
                    double rr = nx * nx + ny * ny;
                    if (rr > 0.998) { // outside the ball: continue its rim
                        double f = std::sqrt(0.998 / rr);
                        nx *= f;
                        ny *= f;
                        rr = 0.998;
                    }
                    double nz = std::sqrt(1.0 - rr);
                    V3 r(2 * nz * nx, 2 * nz * ny, 2 * nz * nz - 1);
                    sum = sum + environment(style, normalized(r), seed);
                }
            img.at(x, y) = sum * (1.0f / (ss * ss));
        }
    return img;
}

Image cubeAtlas(CubeStyle style, int size, uint32_t seed) {
    Image img(size, size);
    int q = size / 2;
    // Brightness per quarter, in the order of box(): top-left (tops), top-right
    // (sides facing x), bottom-left (sides facing y), bottom-right (bottoms).
    const float shade[2][2] = {{1.0f, 0.72f}, {0.52f, 0.3f}};
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            int qx = x / q, qy = y / q;
            double u = (x % q + 0.5) / q, v = (y % q + 0.5) / q;
            double edge = std::min(std::min(u, 1 - u), std::min(v, 1 - v)); // 0 at the border
            double n = fbm(u * 6, v * 6, qx * 3 + qy, seed, 4, 6, 6);
            Color c;
            switch (style) {
            case CubeStyle::Neon: {
                double border = smooth(0.06, 0.0, edge) + 0.5 * smooth(0.12, 0.06, edge);
                double diamond = std::fabs(u - 0.5) + std::fabs(v - 0.5);
                double ring = std::exp(-std::pow((diamond - 0.3) * 22, 2));
                c = rgb(0.05, 0.02, 0.12) + rgb(0.1, 0.05, 0.2) * static_cast<float>(n);
                c = c + rgb(1.0, 0.2, 0.8) * static_cast<float>(border);
                c = c + rgb(0.2, 0.9, 1.0) * static_cast<float>(ring);
                break;
            }
            case CubeStyle::Rust: {
                double rust = smooth(0.45, 0.7, n);
                c = mix(rgb(0.55, 0.58, 0.6), rgb(0.6, 0.28, 0.1), static_cast<float>(rust));
                c = c * static_cast<float>(0.75 + 0.5 * fbm(u * 24, v * 24, 5, seed + 3, 2, 24, 24));
                double bevel = smooth(0.05, 0.0, edge);
                c = mix(c, rgb(0.85, 0.85, 0.8), static_cast<float>(bevel * 0.6));
                for (double ru : {0.12, 0.88})
                    for (double rv : {0.12, 0.88}) {
                        double dd = std::hypot(u - ru, v - rv);
                        c = c + rgb(0.5, 0.5, 0.45) * static_cast<float>(smooth(0.035, 0.02, dd));
                    }
                break;
            }
            case CubeStyle::Check: {
                int cx = static_cast<int>(u * 4), cy = static_cast<int>(v * 4);
                bool odd = (cx + cy) & 1;
                c = odd ? rgb(1.0, 0.8, 0.1) : rgb(0.1, 0.3, 0.9);
                double fu = u * 4 - cx, fv = v * 4 - cy;
                double inner = std::min(std::min(fu, 1 - fu), std::min(fv, 1 - fv));
                c = c * static_cast<float>(0.7 + 0.3 * smooth(0.0, 0.12, inner));
                c = mix(c, rgb(1, 1, 1), static_cast<float>(smooth(0.04, 0.0, edge)));
                break;
            }
            case CubeStyle::Glass: {
                double wave = 0.5 + 0.5 * std::sin((u + v) * 9 + n * 6);
                c = mix(rgb(0.0, 0.25, 0.45), rgb(0.3, 0.85, 0.95), static_cast<float>(wave * 0.7 + n * 0.3));
                c = c + rgb(0.9, 1.0, 1.0) * static_cast<float>(smooth(0.03, 0.0, edge));
                c = c + rgb(0.6, 0.8, 1.0) * static_cast<float>(std::exp(-std::pow((u - v) * 10, 2)) * 0.4);
                break;
            }
            }
            img.at(x, y) = c * shade[qy][qx];
        }
    return img;
}

Image floorTiles(int size, uint32_t seed) {
    Image img(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            double u = (x + 0.5) / size, v = (y + 0.5) / size;
            int tx = static_cast<int>(u * 4), ty = static_cast<int>(v * 4);
            double fu = u * 4 - tx, fv = v * 4 - ty;
            double edge = std::min(std::min(fu, 1 - fu), std::min(fv, 1 - fv));
            double n = fbm(u * 8, v * 8, 1, seed, 4, 8, 8);
            bool odd = (tx + ty) & 1;
            Color c = odd ? rgb(0.16, 0.12, 0.22) : rgb(0.08, 0.06, 0.12);
            c = c * static_cast<float>(0.7 + 0.6 * n);
            c = c + rgb(0.2, 0.9, 1.0) * static_cast<float>(smooth(0.05, 0.0, edge) * 0.9);
            img.at(x, y) = c;
        }
    return img;
}

Image sporeSkin(int size, uint32_t seed) {
    Image img(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            double u = (x + 0.5) / size, v = (y + 0.5) / size;
            double n = fbm(u * 8, v * 8, 3, seed, 5, 8, 8);
            double spots = smooth(0.6, 0.68, fbm(u * 16, v * 16, 9, seed + 1, 2, 16, 16));
            Color c = mix(rgb(0.1, 0.35, 0.05), rgb(0.6, 0.9, 0.2), static_cast<float>(n));
            c = mix(c, rgb(0.95, 0.55, 0.1), static_cast<float>(spots));
            img.at(x, y) = c;
        }
    return img;
}

Image creditsAtlas(const std::vector<std::string>& lines, int size) {
    Image img(size, size);
    // Letters in a vertical gradient, with a soft glow around them.
    Image mask(size, size);
    for (size_t row = 0; row < lines.size(); ++row) {
        const std::string& text = lines[row];
        int w = textWidth(text) * kCreditScale;
        int x0 = (size - w) / 2;
        int y0 =
            static_cast<int>(row) * kCreditRowHeight + (kCreditRowHeight - kGlyphHeight * kCreditScale) / 2;
        for (size_t i = 0; i < text.size(); ++i)
            for (int gy = 0; gy < kGlyphHeight; ++gy)
                for (int gx = 0; gx < kGlyphWidth; ++gx) {
                    if (!glyphPixel(text[i], gx, gy))
                        continue;
                    for (int py = 0; py < kCreditScale; ++py)
                        for (int px = 0; px < kCreditScale; ++px) {
                            int x = x0 + static_cast<int>(i) * (kGlyphWidth + 1) * kCreditScale +
                                    gx * kCreditScale + px;
                            int y = y0 + gy * kCreditScale + py;
                            if (x >= 0 && y >= 0 && x < size && y < size)
                                mask.at(x, y) = {1, 1, 1};
                        }
                }
    }
    const int radius = 5;
    for (int y = 0; y < size; ++y) {
        int row = y / kCreditRowHeight;
        double inRow = static_cast<double>(y % kCreditRowHeight) / kCreditRowHeight;
        Color top = row == 0 ? rgb(1.0, 1.0, 1.0) : rgb(1.0, 0.95, 0.6);
        Color bottom = row == 0 ? rgb(1.0, 0.5, 0.3) : rgb(1.0, 0.45, 0.1);
        Color letter = mix(top, bottom, static_cast<float>(inRow));
        for (int x = 0; x < size; ++x) {
            if (mask.at(x, y).r > 0) {
                img.at(x, y) = letter;
                continue;
            }
            double glow = 0;
            for (int dy = -radius; dy <= radius; ++dy)
                for (int dx = -radius; dx <= radius; ++dx) {
                    int sx = x + dx, sy = y + dy;
                    if (sx < 0 || sy < 0 || sx >= size || sy >= size || sy / kCreditRowHeight != row)
                        continue;
                    if (mask.at(sx, sy).r > 0)
                        glow += std::exp(-(dx * dx + dy * dy) / 8.0);
                }
            img.at(x, y) = rgb(0.9, 0.25, 0.05) * clamp01(glow * 0.06);
        }
    }
    return img;
}

TexRect creditRect(const std::string& line, int row, int size) {
    int w = textWidth(line) * kCreditScale + 2 * 12;
    int x0 = (size - w) / 2;
    int yTop = row * kCreditRowHeight, yBottom = yTop + kCreditRowHeight;
    // v = 0 is the bottom of the picture.
    return {static_cast<double>(x0) / size, 1.0 - static_cast<double>(yBottom) / size,
            static_cast<double>(x0 + w) / size, 1.0 - static_cast<double>(yTop) / size};
}

} // namespace content
