#include "platform/ui/Touch.h"

#include "platform/ui/View.h"
#include "platform/ui/Window.h"

namespace ui {

QV_DEFINE_CLASS(Touch, "UITouch");
QV_DEFINE_CLASS(Event, "UIEvent");

namespace {

base::Point fromWindow(const Touch& touch, base::Point point, const View* view) {
    if (view == nullptr) return point;
    const std::shared_ptr<Window> window = touch.window();
    return view->convertPointFrom(point, window.get());
}

}  // namespace

base::Point Touch::locationInView(const View* view) const {
    return fromWindow(*this, location_, view);
}

base::Point Touch::previousLocationInView(const View* view) const {
    return fromWindow(*this, previousLocation_, view);
}

}  // namespace ui
