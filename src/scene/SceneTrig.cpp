#include "scene/SceneTrig.h"

#include <cmath>

namespace {

// Minimax polynomials for sin and cos on [−π/4, π/4] (the classic freely distributable
// kernels); every operation is a plain IEEE double operation in a fixed order.
constexpr double S1 = -1.66666666666666324348e-01;
constexpr double S2 = 8.33333333332248946124e-03;
constexpr double S3 = -1.98412698298579493134e-04;
constexpr double S4 = 2.75573137070700676789e-06;
constexpr double S5 = -2.50507602534068634195e-08;
constexpr double S6 = 1.58969099521155010221e-10;

constexpr double C1 = 4.16666666666666019037e-02;
constexpr double C2 = -1.38888888888741095749e-03;
constexpr double C3 = 2.48015872894767294178e-05;
constexpr double C4 = -2.75573143513906633035e-07;
constexpr double C5 = 2.08757232129817482790e-09;
constexpr double C6 = -1.13596475577881948265e-11;

// π/2 split into three parts of 33 significant bits each, so that n × part is exact for
// quadrant counts n below 2^20 (Cody and Waite's reduction).
constexpr double InvPio2 = 6.36619772367581382433e-01;
constexpr double Pio2Part1 = 1.57079632673412561417e+00;
constexpr double Pio2Part2 = 6.07710050630396597660e-11;
constexpr double Pio2Part3 = 2.02226624871116645580e-21;

double KernelSin(double x) {
    const double z = x * x;
    const double v = z * x;
    const double r = S2 + z * (S3 + z * (S4 + z * (S5 + z * S6)));
    return x + v * (S1 + z * r);
}

double KernelCos(double x) {
    const double z = x * x;
    const double r = z * (C1 + z * (C2 + z * (C3 + z * (C4 + z * (C5 + z * C6)))));
    const double hz = 0.5 * z;
    const double w = 1.0 - hz;
    return w + (((1.0 - w) - hz) + z * r);
}

// Reduces x to r in about [−π/4, π/4] and returns the quadrant (0..3): x ≈ n·π/2 + r.
int Reduce(double x, double* r) {
    const double n = std::floor(x * InvPio2 + 0.5);
    *r = ((x - n * Pio2Part1) - n * Pio2Part2) - n * Pio2Part3;
    // fmod is exact, so the quadrant is right even where n no longer fits an integer type.
    double q = std::fmod(n, 4.0);
    if (q < 0) {
        q += 4.0;
    }
    return static_cast<int>(q);
}

} // namespace

double SceneSin(double x) {
    if (!std::isfinite(x)) {
        return x - x;
    }
    double r;
    switch (Reduce(x, &r)) {
    case 0:
        return KernelSin(r);
    case 1:
        return KernelCos(r);
    case 2:
        return -KernelSin(r);
    default:
        return -KernelCos(r);
    }
}

double SceneCos(double x) {
    if (!std::isfinite(x)) {
        return x - x;
    }
    double r;
    switch (Reduce(x, &r)) {
    case 0:
        return KernelCos(r);
    case 1:
        return -KernelSin(r);
    case 2:
        return -KernelCos(r);
    default:
        return KernelSin(r);
    }
}
