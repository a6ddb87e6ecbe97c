#include "platform/ui/PresentedGeometry.h"

#include <memory>

#include "platform/ui/Layer.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

namespace ui {

namespace {
std::shared_ptr<const Layer> presented(std::shared_ptr<const Layer> layer) {
    if (!layer) return nullptr;
    if (auto p = layer->presentationLayer()) return p;
    return layer;
}
}  // namespace

base::Rect convertRectPresented(const Layer& from, const base::Rect& rect, const Layer* stop) {
    const Layer* target = stop != nullptr ? &stop->modelLayer() : nullptr;
    std::shared_ptr<const Layer> current = presented(runtime::retained(&from.modelLayer()));
    if (!current) return rect;
    base::Rect r = rect;
    for (;;) {
        if (&current->modelLayer() == target) return r;
        std::shared_ptr<const Layer> up = presented(current->superlayer());
        if (!up) return r;
        // One step up: the layer's own geometry maps it into its superlayer.
        r = current->transformToSuperlayer().apply(r);
        current = std::move(up);
    }
}

base::Rect presentedRectInWindow(const View& view) {
    const std::shared_ptr<Window> window = view.window();
    return convertRectPresented(*view.layer(), view.bounds(),
                                window ? window->layer().get() : nullptr);
}

}  // namespace ui
