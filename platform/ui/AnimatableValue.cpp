#include "platform/ui/AnimatableValue.h"

#include <array>
#include <utility>

namespace ui {

namespace {

constexpr std::array<std::pair<LayerProperty, std::string_view>, 10> kKeyPaths{{
    {LayerProperty::Position, "position"},
    {LayerProperty::Bounds, "bounds"},
    {LayerProperty::AnchorPoint, "anchorPoint"},
    {LayerProperty::Transform, "transform"},
    {LayerProperty::Opacity, "opacity"},
    {LayerProperty::CornerRadius, "cornerRadius"},
    {LayerProperty::BackgroundColor, "backgroundColor"},
    {LayerProperty::ShadowOpacity, "shadowOpacity"},
    {LayerProperty::ShadowRadius, "shadowRadius"},
    {LayerProperty::ShadowOffset, "shadowOffset"},
}};

double mix(double a, double b, double t) {
    return a + (b - a) * t;
}

base::Point mix(base::Point a, base::Point b, double t) {
    return {mix(a.x, b.x, t), mix(a.y, b.y, t)};
}

base::Size mix(base::Size a, base::Size b, double t) {
    return {mix(a.width, b.width, t), mix(a.height, b.height, t)};
}

base::Rect mix(const base::Rect& a, const base::Rect& b, double t) {
    return {mix(a.origin, b.origin, t), mix(a.size, b.size, t)};
}

base::AffineTransform mix(const base::AffineTransform& a, const base::AffineTransform& b,
                          double t) {
    return {mix(a.a, b.a, t), mix(a.b, b.b, t),   mix(a.c, b.c, t),
            mix(a.d, b.d, t), mix(a.tx, b.tx, t), mix(a.ty, b.ty, t)};
}

base::Color mix(const base::Color& a, const base::Color& b, double t) {
    const base::Color x = a.resolved(false);
    const base::Color y = b.resolved(false);
    return {mix(x.red(), y.red(), t), mix(x.green(), y.green(), t), mix(x.blue(), y.blue(), t),
            mix(x.alpha(), y.alpha(), t)};
}

}  // namespace

std::string_view keyPathFor(LayerProperty property) {
    for (const auto& [p, name] : kKeyPaths) {
        if (p == property) return name;
    }
    return {};
}

std::optional<LayerProperty> layerPropertyForKeyPath(std::string_view keyPath) {
    for (const auto& [p, name] : kKeyPaths) {
        if (name == keyPath) return p;
    }
    return std::nullopt;
}

AnimatableValue interpolate(const AnimatableValue& from, const AnimatableValue& to, double t) {
    if (from.index() != to.index()) return t < 0.5 ? from : to;
    return std::visit(
        [&](const auto& a) -> AnimatableValue {
            using T = std::decay_t<decltype(a)>;
            return mix(a, std::get<T>(to), t);
        },
        from);
}

}  // namespace ui
