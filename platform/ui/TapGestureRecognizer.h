#pragma once

#include <memory>
#include <vector>

#include "platform/base/Geometry.h"
#include "platform/runtime/Runtime.h"

namespace ui {

class View;

// Recognises a tap on its view ("UITapGestureRecognizer"): a touch that went down on the view
// or a view below it and lifted within kMaxMovement points of where it went down. The touch
// itself is still delivered to the views as usual; the recognizer then sends its action to its
// targets (held weakly), with itself as the sender. Only the recognizers of the deepest view
// that has any fire.
class TapGestureRecognizer : public runtime::Object {
    QV_OBJECT(TapGestureRecognizer, runtime::Object);

  public:
    static constexpr double kMaxMovement = 10;

    static std::shared_ptr<TapGestureRecognizer> create(
        const std::shared_ptr<runtime::Object>& target, runtime::SEL action);
    TapGestureRecognizer() = default;

    void addTarget(const std::shared_ptr<runtime::Object>& target, runtime::SEL action);
    std::shared_ptr<View> view() const { return view_.lock(); }
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled) { enabled_ = enabled; }
    // Where the tap lifted, in the view's coordinates (valid while the action runs).
    base::Point locationInView(const View* view) const;

    // For the touch source: the tap ended at `windowPoint` of the view's window.
    void recognize(base::Point windowPoint);

  private:
    friend class View;

    struct Target {
        std::weak_ptr<runtime::Object> object;
        runtime::SEL action;
    };
    std::vector<Target> targets_;
    std::weak_ptr<View> view_;
    base::Point location_;
    bool enabled_ = true;
};

}  // namespace ui
