#include "target_fit.h"

#include <algorithm>
#include <cmath>

namespace convert {

namespace {

constexpr double PI = 3.14159265358979323846;

struct Sym3 {
    double m[3][3] = {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}};
};

double determinant(const Sym3& a) {
    return a.m[0][0] * (a.m[1][1] * a.m[2][2] - a.m[1][2] * a.m[2][1]) -
           a.m[0][1] * (a.m[1][0] * a.m[2][2] - a.m[1][2] * a.m[2][0]) +
           a.m[0][2] * (a.m[1][0] * a.m[2][1] - a.m[1][1] * a.m[2][0]);
}

// Cramer's rule; false when the system is singular.
bool solve(const Sym3& a, const double b[3], double x[3]) {
    double d = determinant(a);
    if (!std::isfinite(d) || std::fabs(d) < 1e-300)
        return false;
    for (int c = 0; c < 3; ++c) {
        Sym3 t = a;
        for (int r = 0; r < 3; ++r)
            t.m[r][c] = b[r];
        x[c] = determinant(t) / d;
    }
    return std::isfinite(x[0]) && std::isfinite(x[1]) && std::isfinite(x[2]);
}

// One step: least squares of the distances to the lines of sight, each weighted by
// its inverse squared distance from `at` (so that distance stands for angle), held
// gently toward `at` where the lines don't decide.
aiVector3D refine(const std::vector<aiVector3D>& eyes, const std::vector<aiVector3D>& looks,
                  const aiVector3D& at) {
    Sym3 a;
    double b[3] = {0, 0, 0};
    for (size_t k = 0; k < eyes.size(); ++k) {
        aiVector3D d = looks[k], e = eyes[k];
        double w = 1.0 / std::max<double>((at - e).SquareLength(), 1e-12);
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c) {
                double p = w * ((r == c ? 1.0 : 0.0) - static_cast<double>(d[r]) * d[c]);
                a.m[r][c] += p;
                b[r] += p * e[c];
            }
        }
    }
    double hold = 1e-4 * (a.m[0][0] + a.m[1][1] + a.m[2][2]) / 3 + 1e-30;
    for (int r = 0; r < 3; ++r) {
        a.m[r][r] += hold;
        b[r] += hold * at[r];
    }
    double x[3];
    if (!solve(a, b, x))
        return at;
    return aiVector3D(static_cast<float>(x[0]), static_cast<float>(x[1]), static_cast<float>(x[2]));
}

} // namespace

double largestAimError(const std::vector<aiVector3D>& eyes, const std::vector<aiVector3D>& looks,
                       const aiVector3D& target) {
    double worst = 0;
    for (size_t k = 0; k < eyes.size(); ++k) {
        aiVector3D to = target - eyes[k];
        double length = to.Length();
        double cosine = length > 0 ? (to * looks[k]) / length : -1.0;
        worst = std::max(worst, std::acos(std::clamp(cosine, -1.0, 1.0)) * 180 / PI);
    }
    return worst;
}

aiVector3D fitTarget(const std::vector<aiVector3D>& eyes, const std::vector<aiVector3D>& looks,
                     const aiVector3D& guess) {
    aiVector3D best = guess;
    double bestError = largestAimError(eyes, looks, guess);
    aiVector3D at = guess;
    for (int step = 0; step < 12; ++step) {
        at = refine(eyes, looks, at);
        double error = largestAimError(eyes, looks, at);
        if (error < bestError) {
            best = at;
            bestError = error;
        }
    }
    return best;
}

} // namespace convert
