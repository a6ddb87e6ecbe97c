#pragma once

#include "platform/ui/AnimatableValue.h"

namespace ui {
class Layer;
}

namespace ui::detail {

// Called after a view's layer changed a model property: inside an open animation block it adds
// the animation from the old value to the new one.
void recordViewAnimation(Layer& layer, LayerProperty property, const AnimatableValue& oldValue);

// Whether a running animation of the layer was started without allowing user interaction.
bool animationBlocksInteraction(const Layer& layer);

}  // namespace ui::detail
