#include "platform/ui/Control.h"

#include <algorithm>

#include "platform/ui/Menu.h"
#include "platform/ui/TargetAction.h"
#include "platform/ui/Touch.h"

namespace ui {

QV_DEFINE_CLASS(Control, "UIControl");

void Control::registerMethods(runtime::MethodList<Control>& methods) {
    methods.add<&Control::beginTrackingDefault>(kBeginTracking)
        .add<&Control::continueTrackingDefault>(kContinueTracking)
        .add<&Control::endTrackingDefault>(kEndTracking)
        .add<&Control::cancelTrackingDefault>(kCancelTracking)
        .add<&Control::sendActionDefault>(kSendActionToForEvent)
        .add<&Control::setEnabledDefault>(kSetEnabled)
        .add<&Control::setSelectedDefault>(kSetSelected)
        .add<&Control::setHighlightedDefault>(kSetHighlighted)
        .add<&Control::hitTestControl>(kHitTest)
        .add<&Control::touchesBeganControl>(kTouchesBegan)
        .add<&Control::touchesMovedControl>(kTouchesMoved)
        .add<&Control::touchesEndedControl>(kTouchesEnded)
        .add<&Control::touchesCancelledControl>(kTouchesCancelled);
}

Control::Control() = default;
Control::Control(const base::Rect& frame) : View(frame) {}
Control::~Control() = default;

std::shared_ptr<Control> Control::create(const base::Rect& frame) {
    return std::make_shared<Control>(frame);
}

ControlState Control::state() const {
    std::uint32_t s = 0;
    if (highlighted_) s |= std::uint32_t(ControlState::Highlighted);
    if (!enabled_) s |= std::uint32_t(ControlState::Disabled);
    if (selected_) s |= std::uint32_t(ControlState::Selected);
    return ControlState(s);
}

void Control::setContentHorizontalAlignment(ContentHorizontalAlignment alignment) {
    if (alignment == hAlign_) return;
    hAlign_ = alignment;
    setNeedsLayout();
}

void Control::setContentVerticalAlignment(ContentVerticalAlignment alignment) {
    if (alignment == vAlign_) return;
    vAlign_ = alignment;
    setNeedsLayout();
}

void Control::setEnabledDefault(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (!enabled && touchDown_) {
        // A control switched off under the finger lets go of the touch as if it were cancelled.
        const std::shared_ptr<Control> keep = runtime::retained(this);
        const bool wasTracking = tracking_;
        touchDown_ = tracking_ = touchInside_ = false;
        highlighted_ = false;
        if (wasTracking) kCancelTracking.send(this, currentEvent_);
        sendEvents(ControlEvents::TouchCancel, nullptr);
    }
    stateDidChange();
}

void Control::setSelectedDefault(bool selected) {
    if (selected == selected_) return;
    selected_ = selected;
    stateDidChange();
}

void Control::setHighlightedDefault(bool highlighted) {
    if (highlighted == highlighted_) return;
    highlighted_ = highlighted;
    stateDidChange();
}

View* Control::hitTestControl(base::Point point, Event* event) {
    // A disabled control lets touches through to what lies behind it.
    if (!enabled_) return nullptr;
    return kHitTest.sendSuper(this, point, event);
}

bool Control::isInsideForTracking(base::Point point) {
    const base::Rect area = bounds().insetBy(-kTouchSlop, -kTouchSlop);
    return area.contains(point) || pointInside(point, currentEvent_);
}

void Control::touchesBeganControl(Touch* touch, Event* event) {
    if (!enabled_ || touch == nullptr) return;
    const std::shared_ptr<Control> keep = runtime::retained(this);
    currentEvent_ = event;
    touchDown_ = true;
    touchInside_ = true;
    setHighlighted(true);
    tracking_ = kBeginTracking.send(this, touch, event);
    ControlEvents events = ControlEvents::TouchDown;
    if (touch->tapCount() > 1) events = events | ControlEvents::TouchDownRepeat;
    sendEvents(events, event);
    currentEvent_ = nullptr;
}

void Control::touchesMovedControl(Touch* touch, Event* event) {
    if (!touchDown_ || touch == nullptr) return;
    const std::shared_ptr<Control> keep = runtime::retained(this);
    currentEvent_ = event;
    const bool wasInside = touchInside_;
    touchInside_ = isInsideForTracking(touch->locationInView(this));
    setHighlighted(touchInside_);
    if (tracking_) tracking_ = kContinueTracking.send(this, touch, event);
    ControlEvents events =
        touchInside_ ? ControlEvents::TouchDragInside : ControlEvents::TouchDragOutside;
    if (wasInside != touchInside_) {
        events =
            events | (touchInside_ ? ControlEvents::TouchDragEnter : ControlEvents::TouchDragExit);
    }
    if (touchDown_) sendEvents(events, event);
    currentEvent_ = nullptr;
}

void Control::touchesEndedControl(Touch* touch, Event* event) {
    if (!touchDown_ || touch == nullptr) return;
    const std::shared_ptr<Control> keep = runtime::retained(this);
    currentEvent_ = event;
    touchInside_ = isInsideForTracking(touch->locationInView(this));
    const bool wasTracking = tracking_;
    tracking_ = false;
    touchDown_ = false;
    if (wasTracking) kEndTracking.send(this, touch, event);
    setHighlighted(false);
    sendEvents(touchInside_ ? ControlEvents::TouchUpInside : ControlEvents::TouchUpOutside, event);
    touchInside_ = false;
    currentEvent_ = nullptr;
}

void Control::touchesCancelledControl(Touch*, Event* event) {
    if (!touchDown_) return;
    const std::shared_ptr<Control> keep = runtime::retained(this);
    currentEvent_ = event;
    const bool wasTracking = tracking_;
    tracking_ = false;
    touchDown_ = false;
    touchInside_ = false;
    if (wasTracking) kCancelTracking.send(this, event);
    setHighlighted(false);
    sendEvents(ControlEvents::TouchCancel, event);
    currentEvent_ = nullptr;
}

void Control::addTarget(const std::shared_ptr<runtime::Object>& target, runtime::SEL action,
                        ControlEvents events) {
    if (!action || events == ControlEvents::None) return;
    for (const Registration& r : registrations_) {
        if (r.hasTarget && r.selector == action && r.events == events &&
            r.target.lock() == target) {
            return;
        }
    }
    registrations_.push_back({target, true, action, nullptr, events});
}

void Control::removeTarget(const runtime::Object* target, runtime::SEL action,
                           ControlEvents events) {
    std::erase_if(registrations_, [&](const Registration& r) {
        return r.hasTarget && r.target.lock().get() == target &&
               (!action || r.selector == action) && intersects(r.events, events);
    });
}

void Control::addAction(const std::shared_ptr<Action>& action, ControlEvents events) {
    if (!action || events == ControlEvents::None) return;
    registrations_.push_back({{}, false, {}, action, events});
}

void Control::removeAction(const Action* action, ControlEvents events) {
    std::erase_if(registrations_, [&](const Registration& r) {
        return r.action.get() == action && intersects(r.events, events);
    });
}

std::size_t Control::registrationCount() const {
    return std::size_t(std::count_if(
        registrations_.begin(), registrations_.end(),
        [](const Registration& r) { return r.action != nullptr || !r.target.expired(); }));
}

void Control::sendActionsForControlEvents(ControlEvents events) {
    sendEvents(events, currentEvent_);
}

void Control::sendEvents(ControlEvents events, Event* event) {
    if (events == ControlEvents::None) return;
    const std::shared_ptr<Control> keep = runtime::retained(this);
    // A copy: an action may add or remove registrations.
    const std::vector<Registration> registrations = registrations_;
    for (const Registration& r : registrations) {
        if (!intersects(r.events, events)) continue;
        if (r.action) {
            r.action->performWithSender(keep);
        } else if (const std::shared_ptr<runtime::Object> target = r.target.lock()) {
            sendAction(r.selector, target.get(), event);
        }
    }
}

void Control::sendActionDefault(runtime::SEL action, runtime::Object* target, Event*) {
    performAction(action, target, this);
}

}  // namespace ui
