#pragma once

#include <optional>
#include <string_view>
#include <variant>

#include "platform/base/AffineTransform.h"
#include "platform/base/Color.h"
#include "platform/base/Geometry.h"

namespace ui {

// The layer properties that animations can drive.
enum class LayerProperty {
    Position,
    Bounds,
    AnchorPoint,
    Transform,
    Opacity,
    CornerRadius,
    BackgroundColor,
    ShadowOpacity,
    ShadowRadius,
    ShadowOffset,
};

// The key path that names the property ("position", "bounds", "transform", "opacity", ...).
std::string_view keyPathFor(LayerProperty property);
std::optional<LayerProperty> layerPropertyForKeyPath(std::string_view keyPath);

using AnimatableValue =
    std::variant<double, base::Point, base::Size, base::Rect, base::AffineTransform, base::Color>;

// The value a fraction `t` of the way from `from` to `to`, component by component (colours in
// their concrete light appearance). Values of different kinds do not blend: the result is
// `from` before the half-way point and `to` after it.
AnimatableValue interpolate(const AnimatableValue& from, const AnimatableValue& to, double t);

}  // namespace ui
