#pragma once

#include <map>
#include <optional>

#include "platform/graphics/Image.h"
#include "platform/ui/Control.h"

namespace ui {

class ImageView;

// A control that picks a value in a range by dragging a thumb along a track ("UISlider").
//
// The value is single precision and always lies in [minimumValue, maximumValue]; setting the
// range re-clamps it without sending value-changed (only the user's drags send it). A touch
// anywhere on the slider tracks: pressed on the thumb it drags from where it was grabbed,
// pressed elsewhere the thumb jumps under the finger first. Continuous sliders send
// value-changed for every move that changes the value, others once when the touch ends.
//
// Drawing, when a subclass does not take over: the maximum track, the minimum track up to the
// thumb, and a white round thumb (or the thumb image of the current state, tinted by
// thumbTintColor when there is no image). The parts are subviews that take no touches.
class Slider : public Control {
    QV_OBJECT(Slider, Control);

  public:
    static inline const runtime::Message<void(float)> kSetValue{"setValue:"};
    static inline const runtime::Message<void(float, bool)> kSetValueAnimated{"setValue:animated:"};
    static inline const runtime::Message<base::Rect(base::Rect)> kTrackRectForBounds{
        "trackRectForBounds:"};
    static inline const runtime::Message<base::Rect(base::Rect, base::Rect, float)>
        kThumbRectForBounds{"thumbRectForBounds:trackRect:value:"};

    static constexpr double kThumbDiameter = 28;
    static constexpr double kTrackHeight = 4;
    static constexpr double kIntrinsicHeight = 31;

    Slider();
    explicit Slider(const base::Rect& frame);
    ~Slider() override;
    static std::shared_ptr<Slider> create(const base::Rect& frame = {});

    float value() const { return value_; }
    void setValue(float value) { kSetValue.send(this, value); }
    void setValue(float value, bool animated) { kSetValueAnimated.send(this, value, animated); }
    float minimumValue() const { return minimum_; }
    // A minimum above the maximum raises the maximum to it (and the other way round).
    void setMinimumValue(float minimum);
    float maximumValue() const { return maximum_; }
    void setMaximumValue(float maximum);
    bool isContinuous() const { return continuous_; }
    void setContinuous(bool continuous) { continuous_ = continuous; }

    const std::optional<base::Color>& minimumTrackTintColor() const { return minTrackTint_; }
    void setMinimumTrackTintColor(std::optional<base::Color> color);
    const std::optional<base::Color>& maximumTrackTintColor() const { return maxTrackTint_; }
    void setMaximumTrackTintColor(std::optional<base::Color> color);
    const std::optional<base::Color>& thumbTintColor() const { return thumbTint_; }
    void setThumbTintColor(std::optional<base::Color> color);
    void setThumbImage(graphics::ImageRef image, ControlState state);
    // The image for the state, else the normal state's; nullptr when none was set.
    graphics::ImageRef thumbImageForState(ControlState state) const;
    graphics::ImageRef currentThumbImage() const { return thumbImageForState(state()); }

    base::Rect trackRectForBounds(const base::Rect& bounds) {
        return kTrackRectForBounds.send(this, bounds);
    }
    base::Rect thumbRectForBounds(const base::Rect& bounds, const base::Rect& track, float value) {
        return kThumbRectForBounds.send(this, bounds, track, value);
    }
    // The value the thumb's centre at x (bounds coordinates) stands for, clamped to the range.
    float valueForThumbCenterX(double x);

    base::Size intrinsicContentSize() const override;

  protected:
    void stateDidChange() override;

  private:
    static void registerMethods(runtime::MethodList<Slider>& methods);
    void setValueDefault(float value);
    void setValueAnimatedDefault(float value, bool animated);
    base::Rect trackRectDefault(base::Rect bounds);
    base::Rect thumbRectDefault(base::Rect bounds, base::Rect track, float value);
    bool beginTrackingSlider(Touch* touch, Event* event);
    bool continueTrackingSlider(Touch* touch, Event* event);
    void endTrackingSlider(Touch* touch, Event* event);
    void layoutSlider();
    void tintChanged();
    void ensureParts();
    void moveThumbTo(double x);
    float clampValue(float value) const;

    float value_ = 0;
    float minimum_ = 0;
    float maximum_ = 1;
    float valueAtTouchDown_ = 0;
    double grabOffset_ = 0;
    bool continuous_ = true;
    std::optional<base::Color> minTrackTint_;
    std::optional<base::Color> maxTrackTint_;
    std::optional<base::Color> thumbTint_;
    std::map<std::uint32_t, graphics::ImageRef> thumbImages_;
    std::shared_ptr<View> maxTrackView_;
    std::shared_ptr<View> minTrackView_;
    std::shared_ptr<ImageView> thumbView_;
};

}  // namespace ui
