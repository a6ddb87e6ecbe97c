#pragma once

namespace text {

// Font weights on the platform's scale: 0 is regular, negative is lighter, positive heavier.
namespace FontWeight {
inline constexpr double UltraLight = -0.8;
inline constexpr double Thin = -0.6;
inline constexpr double Light = -0.4;
inline constexpr double Regular = 0.0;
inline constexpr double Medium = 0.23;
inline constexpr double Semibold = 0.3;
inline constexpr double Bold = 0.4;
inline constexpr double Heavy = 0.56;
inline constexpr double Black = 0.62;
}  // namespace FontWeight

// The `wght` axis value (100…900) for a platform weight. The named weights land on the hundreds
// (ultralight 100 … regular 400 … black 900), values between them are interpolated linearly, and
// weights beyond ultralight or black stay at 100 or 900. NaN counts as regular.
double wghtForWeight(double weight);
// The inverse: a platform weight for a `wght` value, clamped to ultralight…black.
double weightForWght(double wght);

}  // namespace text
