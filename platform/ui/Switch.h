#pragma once

#include <optional>

#include "platform/ui/Control.h"

namespace ui {

// An on/off control ("UISwitch").
//
// Setting the value from code sends nothing; a user's change sends value-changed once, when the
// touch ends: a tap inside flips the switch, a drag leaves it on the side the thumb was let go
// at, a tap
// released outside or a cancelled touch changes nothing.
//
// Drawing, when a subclass does not take over: a capsule track (the on tint when on, a grey fill
// when off) and a white round thumb, as subviews that take no touches.
class Switch : public Control {
    QV_OBJECT(Switch, Control);

  public:
    static inline const runtime::Message<void(bool, bool)> kSetOnAnimated{"setOn:animated:"};

    static constexpr base::Size kSize{51, 31};
    static constexpr double kThumbInset = 2;
    // A touch that moves this far sideways is a drag, not a tap.
    static constexpr double kDragThreshold = 4;

    Switch();
    explicit Switch(const base::Rect& frame);
    ~Switch() override;
    static std::shared_ptr<Switch> create(const base::Rect& frame = {});

    bool isOn() const { return on_; }
    void setOn(bool on) { kSetOnAnimated.send(this, on, false); }
    void setOn(bool on, bool animated) { kSetOnAnimated.send(this, on, animated); }

    const std::optional<base::Color>& onTintColor() const { return onTint_; }
    void setOnTintColor(std::optional<base::Color> color);
    const std::optional<base::Color>& thumbTintColor() const { return thumbTint_; }
    void setThumbTintColor(std::optional<base::Color> color);

    base::Size intrinsicContentSize() const override { return kSize; }

  protected:
    void stateDidChange() override { updateColors(); }

  private:
    static void registerMethods(runtime::MethodList<Switch>& methods);
    void setOnDefault(bool on, bool animated);
    base::Size sizeThatFitsSwitch(base::Size) { return kSize; }
    bool beginTrackingSwitch(Touch* touch, Event* event);
    bool continueTrackingSwitch(Touch* touch, Event* event);
    void endTrackingSwitch(Touch* touch, Event* event);
    void cancelTrackingSwitch(Event* event);
    void layoutSwitch();
    void updateColors();
    base::Rect trackFrame() const;
    // The thumb's centre x for a position 0 (off) … 1 (on).
    double thumbCenterX(double position) const;

    bool on_ = false;
    std::optional<base::Color> onTint_;
    std::optional<base::Color> thumbTint_;
    std::shared_ptr<View> trackView_;
    std::shared_ptr<View> thumbView_;
    // While a drag moves the thumb: its position 0…1.
    std::optional<double> dragPosition_;
    double touchStartX_ = 0;
};

}  // namespace ui
