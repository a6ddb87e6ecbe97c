#include "platform/ui/TimingFunction.h"

#include <algorithm>
#include <cmath>

namespace ui {

namespace {

// One coordinate of the cubic Bézier with end points 0 and 1.
double bezier(double p1, double p2, double s) {
    const double u = 1 - s;
    return 3 * u * u * s * p1 + 3 * u * s * s * p2 + s * s * s;
}

double bezierSlope(double p1, double p2, double s) {
    const double u = 1 - s;
    return 3 * u * u * p1 + 6 * u * s * (p2 - p1) + 3 * s * s * (1 - p2);
}

}  // namespace

TimingFunction::TimingFunction(double x1, double y1, double x2, double y2)
    : x1_(std::clamp(x1, 0.0, 1.0)), y1_(y1), x2_(std::clamp(x2, 0.0, 1.0)), y2_(y2) {}

double TimingFunction::evaluate(double t) const {
    if (!(t > 0)) return 0;
    if (t >= 1) return 1;
    if (x1_ == y1_ && x2_ == y2_) return t;  // a straight line

    // Find the curve parameter whose x is t: Newton's method, falling back to bisection where
    // the slope is too flat to trust. x(s) is monotonic because the control x values are in 0…1.
    double s = t;
    for (int i = 0; i < 8; ++i) {
        const double error = bezier(x1_, x2_, s) - t;
        if (std::abs(error) < 1e-9) return bezier(y1_, y2_, s);
        const double slope = bezierSlope(x1_, x2_, s);
        if (std::abs(slope) < 1e-6) break;
        s -= error / slope;
    }
    double lo = 0, hi = 1;
    s = t;
    for (int i = 0; i < 60; ++i) {
        const double x = bezier(x1_, x2_, s);
        if (std::abs(x - t) < 1e-9) break;
        (x < t ? lo : hi) = s;
        s = (lo + hi) / 2;
    }
    return bezier(y1_, y2_, s);
}

}  // namespace ui
