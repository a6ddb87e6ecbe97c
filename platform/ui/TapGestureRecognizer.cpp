#include "platform/ui/TapGestureRecognizer.h"

#include "platform/ui/TargetAction.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

namespace ui {

QV_DEFINE_CLASS(TapGestureRecognizer, "UITapGestureRecognizer");

std::shared_ptr<TapGestureRecognizer> TapGestureRecognizer::create(
    const std::shared_ptr<runtime::Object>& target, runtime::SEL action) {
    auto r = std::make_shared<TapGestureRecognizer>();
    r->addTarget(target, action);
    return r;
}

void TapGestureRecognizer::addTarget(const std::shared_ptr<runtime::Object>& target,
                                     runtime::SEL action) {
    if (target && action) targets_.push_back({target, action});
}

base::Point TapGestureRecognizer::locationInView(const View* view) const {
    const std::shared_ptr<View> own = view_.lock();
    const std::shared_ptr<Window> window = own ? own->window() : nullptr;
    if (view == nullptr || !window) return location_;
    return view->convertPointFrom(location_, window.get());
}

void TapGestureRecognizer::recognize(base::Point windowPoint) {
    if (!enabled_) return;
    location_ = windowPoint;
    const std::shared_ptr<TapGestureRecognizer> keep = runtime::retained(this);
    const std::vector<Target> targets = targets_;
    for (const Target& t : targets) {
        if (auto object = t.object.lock()) performAction(t.action, object.get(), this);
    }
}

}  // namespace ui
