#pragma once

#include <memory>
#include <vector>

#include "platform/base/Color.h"
#include "platform/base/Geometry.h"
#include "platform/ui/Layer.h"

namespace ui {

// A layer that fills its bounds (within its corner radius) with a colour gradient, above its
// background and below its sublayers ("CAGradientLayer").
//
// Points are in the unit square of the bounds: (0, 0) the top-left corner, (1, 1) the
// bottom-right. An axial gradient runs from startPoint to endPoint and extends its end colours
// beyond them; a radial one is centred on startPoint and reaches endPoint (an ellipse when the
// bounds are not square).
//
// Gradient properties are not animatable: presentation layers show the model's gradient.
class GradientLayer : public Layer {
    QV_OBJECT(GradientLayer, Layer);

  public:
    enum class Type { Axial, Radial };

    GradientLayer() = default;
    static std::shared_ptr<GradientLayer> create() { return std::make_shared<GradientLayer>(); }

    // No colours draws nothing; one colour fills.
    const std::vector<base::Color>& colors() const { return colors_; }
    void setColors(std::vector<base::Color> colors);
    // Stop positions, 0…1, one per colour, ascending. Empty, or a count that differs from the
    // colours', spreads the colours evenly. Values are clamped to 0…1; NaN becomes 0.
    const std::vector<double>& locations() const { return locations_; }
    void setLocations(std::vector<double> locations);
    base::Point startPoint() const { return startPoint_; }
    void setStartPoint(base::Point point);
    base::Point endPoint() const { return endPoint_; }
    void setEndPoint(base::Point point);
    Type type() const { return type_; }
    void setType(Type type);

    // The stop positions drawn, one per colour.
    std::vector<double> effectiveLocations() const;

  private:
    std::vector<base::Color> colors_;
    std::vector<double> locations_;
    base::Point startPoint_{0.5, 0};
    base::Point endPoint_{0.5, 1};
    Type type_ = Type::Axial;
};

}  // namespace ui
