#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/ui/View.h"

namespace ui {

class Action;

// The values follow the phone's.
enum class ControlEvents : std::uint64_t {
    None = 0,
    TouchDown = 1u << 0,
    TouchDownRepeat = 1u << 1,
    TouchDragInside = 1u << 2,
    TouchDragOutside = 1u << 3,
    TouchDragEnter = 1u << 4,
    TouchDragExit = 1u << 5,
    TouchUpInside = 1u << 6,
    TouchUpOutside = 1u << 7,
    TouchCancel = 1u << 8,
    ValueChanged = 1u << 12,
    PrimaryActionTriggered = 1u << 13,
    EditingDidBegin = 1u << 16,
    EditingChanged = 1u << 17,
    EditingDidEnd = 1u << 18,
    EditingDidEndOnExit = 1u << 19,
    AllTouchEvents = 0x0FFF,
    AllEditingEvents = 0x000F0000,
    AllEvents = 0xFFFFFFFF,
};

constexpr ControlEvents operator|(ControlEvents a, ControlEvents b) {
    return ControlEvents(std::uint64_t(a) | std::uint64_t(b));
}
constexpr bool intersects(ControlEvents a, ControlEvents b) {
    return (std::uint64_t(a) & std::uint64_t(b)) != 0;
}

enum class ControlState : std::uint32_t {
    Normal = 0,
    Highlighted = 1u << 0,
    Disabled = 1u << 1,
    Selected = 1u << 2,
    Focused = 1u << 3,
};

constexpr ControlState operator|(ControlState a, ControlState b) {
    return ControlState(std::uint32_t(a) | std::uint32_t(b));
}

enum class ContentHorizontalAlignment { Center, Left, Right, Fill, Leading, Trailing };
enum class ContentVerticalAlignment { Center, Top, Bottom, Fill };

// A view that tracks a touch and tells targets about it ("UIControl").
//
// A touch that lands on an enabled control is tracked until it lifts or is cancelled:
// beginTracking…, continueTracking… for each move (while the previous call answered true) and
// endTracking… or cancelTracking…. The control is highlighted while the finger is inside, which
// is the bounds grown by kTouchSlop on every side; leaving and coming back sends the drag
// exit/enter events, and the lift sends touch-up-inside or touch-up-outside accordingly.
// Disabling a control mid-touch cancels the touch.
//
// Targets and actions: a target is held weakly and gets its action message (with or without
// the sender, see TargetAction.h) through sendAction:to:forEvent:, which subclasses and hooks
// may intercept; Action objects are held strongly. Registrations run in the order they were
// added. The control stays alive while its actions run.
class Control : public View {
    QV_OBJECT(Control, View);

  public:
    static inline const runtime::Message<bool(Touch*, Event*)> kBeginTracking{
        "beginTrackingWithTouch:withEvent:"};
    static inline const runtime::Message<bool(Touch*, Event*)> kContinueTracking{
        "continueTrackingWithTouch:withEvent:"};
    static inline const runtime::Message<void(Touch*, Event*)> kEndTracking{
        "endTrackingWithTouch:withEvent:"};
    static inline const runtime::Message<void(Event*)> kCancelTracking{"cancelTrackingWithEvent:"};
    static inline const runtime::Message<void(runtime::SEL, runtime::Object*, Event*)>
        kSendActionToForEvent{"sendAction:to:forEvent:"};
    static inline const runtime::Message<void(bool)> kSetEnabled{"setEnabled:"};
    static inline const runtime::Message<void(bool)> kSetSelected{"setSelected:"};
    static inline const runtime::Message<void(bool)> kSetHighlighted{"setHighlighted:"};

    // How far outside its bounds a tracked touch still counts as inside.
    static constexpr double kTouchSlop = 70;

    Control();
    explicit Control(const base::Rect& frame);
    ~Control() override;
    static std::shared_ptr<Control> create(const base::Rect& frame = {});

    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled) { kSetEnabled.send(this, enabled); }
    bool isSelected() const { return selected_; }
    void setSelected(bool selected) { kSetSelected.send(this, selected); }
    bool isHighlighted() const { return highlighted_; }
    void setHighlighted(bool highlighted) { kSetHighlighted.send(this, highlighted); }
    ControlState state() const;
    bool isTracking() const { return tracking_; }
    bool isTouchInside() const { return touchInside_; }

    ContentHorizontalAlignment contentHorizontalAlignment() const { return hAlign_; }
    void setContentHorizontalAlignment(ContentHorizontalAlignment alignment);
    ContentVerticalAlignment contentVerticalAlignment() const { return vAlign_; }
    void setContentVerticalAlignment(ContentVerticalAlignment alignment);

    // ---- Targets and actions ------------------------------------------------------------------
    void addTarget(const std::shared_ptr<runtime::Object>& target, runtime::SEL action,
                   ControlEvents events);
    // Removes the target's registrations for the action (every action when it is empty) among
    // `events`.
    void removeTarget(const runtime::Object* target, runtime::SEL action, ControlEvents events);
    void addAction(const std::shared_ptr<Action>& action, ControlEvents events);
    void removeAction(const Action* action, ControlEvents events);
    // How many registrations (target-action and Action) are live.
    std::size_t registrationCount() const;
    void sendActionsForControlEvents(ControlEvents events);
    void sendAction(runtime::SEL action, runtime::Object* target, Event* event) {
        kSendActionToForEvent.send(this, action, target, event);
    }

  protected:
    // After enabled, selected or highlighted changed: subclasses redraw.
    virtual void stateDidChange() {}
    // The event of the touch being handled (nullptr outside touch delivery).
    Event* currentEvent() const { return currentEvent_; }
    // A touch went down on the control and has not ended.
    bool isTouchDown() const { return touchDown_; }
    // The touch's location counts as inside for tracking purposes.
    bool isInsideForTracking(base::Point point);

  private:
    static void registerMethods(runtime::MethodList<Control>& methods);
    bool beginTrackingDefault(Touch*, Event*) { return true; }
    bool continueTrackingDefault(Touch*, Event*) { return true; }
    void endTrackingDefault(Touch*, Event*) {}
    void cancelTrackingDefault(Event*) {}
    void sendActionDefault(runtime::SEL action, runtime::Object* target, Event* event);
    void setEnabledDefault(bool enabled);
    void setSelectedDefault(bool selected);
    void setHighlightedDefault(bool highlighted);
    View* hitTestControl(base::Point point, Event* event);
    void touchesBeganControl(Touch* touch, Event* event);
    void touchesMovedControl(Touch* touch, Event* event);
    void touchesEndedControl(Touch* touch, Event* event);
    void touchesCancelledControl(Touch* touch, Event* event);
    void sendEvents(ControlEvents events, Event* event);

    struct Registration {
        std::weak_ptr<runtime::Object> target;
        bool hasTarget = false;
        runtime::SEL selector;
        std::shared_ptr<Action> action;
        ControlEvents events;
    };

    std::vector<Registration> registrations_;
    Event* currentEvent_ = nullptr;
    ContentHorizontalAlignment hAlign_ = ContentHorizontalAlignment::Center;
    ContentVerticalAlignment vAlign_ = ContentVerticalAlignment::Center;
    bool enabled_ = true;
    bool selected_ = false;
    bool highlighted_ = false;
    // A touch is down on the control (tracked or not).
    bool touchDown_ = false;
    // begin/continue answered true: the control hears the rest of the touch.
    bool tracking_ = false;
    bool touchInside_ = false;
};

}  // namespace ui
