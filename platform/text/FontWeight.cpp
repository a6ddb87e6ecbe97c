#include "platform/text/FontWeight.h"

#include <array>
#include <cmath>
#include <utility>

namespace text {

namespace {

// (platform weight, wght), ascending in both.
constexpr std::array<std::pair<double, double>, 9> kAnchors = {{
    {FontWeight::UltraLight, 100},
    {FontWeight::Thin, 200},
    {FontWeight::Light, 300},
    {FontWeight::Regular, 400},
    {FontWeight::Medium, 500},
    {FontWeight::Semibold, 600},
    {FontWeight::Bold, 700},
    {FontWeight::Heavy, 800},
    {FontWeight::Black, 900},
}};

}  // namespace

double wghtForWeight(double weight) {
    if (std::isnan(weight)) return 400;
    if (weight <= kAnchors.front().first) return kAnchors.front().second;
    for (std::size_t i = 1; i < kAnchors.size(); ++i) {
        const auto [w0, v0] = kAnchors[i - 1];
        const auto [w1, v1] = kAnchors[i];
        if (weight <= w1) return v0 + (weight - w0) / (w1 - w0) * (v1 - v0);
    }
    return kAnchors.back().second;
}

double weightForWght(double wght) {
    if (std::isnan(wght)) return FontWeight::Regular;
    if (wght <= kAnchors.front().second) return kAnchors.front().first;
    for (std::size_t i = 1; i < kAnchors.size(); ++i) {
        const auto [w0, v0] = kAnchors[i - 1];
        const auto [w1, v1] = kAnchors[i];
        if (wght <= v1) return w0 + (wght - v0) / (v1 - v0) * (w1 - w0);
    }
    return kAnchors.back().first;
}

}  // namespace text
