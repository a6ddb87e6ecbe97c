#include "platform/ui/GradientLayer.h"

#include <algorithm>
#include <cmath>

namespace ui {

QV_DEFINE_CLASS(GradientLayer, "CAGradientLayer");

namespace {

bool finitePoint(base::Point p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

}  // namespace

void GradientLayer::setColors(std::vector<base::Color> colors) {
    if (colors == colors_) return;
    colors_ = std::move(colors);
    setNeedsDisplay();
}

void GradientLayer::setLocations(std::vector<double> locations) {
    for (double& l : locations) l = std::isnan(l) ? 0.0 : std::clamp(l, 0.0, 1.0);
    if (locations == locations_) return;
    locations_ = std::move(locations);
    setNeedsDisplay();
}

void GradientLayer::setStartPoint(base::Point point) {
    if (!finitePoint(point) || point == startPoint_) return;
    startPoint_ = point;
    setNeedsDisplay();
}

void GradientLayer::setEndPoint(base::Point point) {
    if (!finitePoint(point) || point == endPoint_) return;
    endPoint_ = point;
    setNeedsDisplay();
}

void GradientLayer::setType(Type type) {
    if (type == type_) return;
    type_ = type;
    setNeedsDisplay();
}

std::vector<double> GradientLayer::effectiveLocations() const {
    if (locations_.size() == colors_.size()) return locations_;
    std::vector<double> even(colors_.size());
    for (std::size_t i = 0; i < even.size(); ++i) {
        even[i] = even.size() == 1 ? 0.0 : double(i) / double(even.size() - 1);
    }
    return even;
}

}  // namespace ui
