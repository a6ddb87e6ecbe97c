#pragma once

#include <cstdint>

namespace ui {

// Options of a view animation block. The curve occupies its own field: pick at most one.
enum class AnimationOptions : std::uint32_t {
    None = 0,
    // Views under the animation keep taking touches.
    AllowUserInteraction = 1u << 1,
    // Start from what is on screen (the presentation value) when the property is already
    // animating, instead of from its previous model value.
    BeginFromCurrentState = 1u << 2,
    CurveEaseInOut = 0u << 16,
    CurveEaseIn = 1u << 16,
    CurveEaseOut = 2u << 16,
    CurveLinear = 3u << 16,
};

constexpr AnimationOptions operator|(AnimationOptions a, AnimationOptions b) {
    return AnimationOptions(std::uint32_t(a) | std::uint32_t(b));
}
constexpr bool hasOption(AnimationOptions options, AnimationOptions option) {
    return (std::uint32_t(options) & std::uint32_t(option)) != 0;
}
constexpr std::uint32_t curveOf(AnimationOptions options) {
    return (std::uint32_t(options) >> 16) & 0xf;
}

}  // namespace ui
