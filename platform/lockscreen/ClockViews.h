#pragma once

#include <memory>

#include "platform/ui/Label.h"
#include "platform/ui/View.h"

namespace lockscreen {

// The lock screen's clock and date views, registered under the class names the home-screen
// process gives them, so that code loaded into the process finds them by name and hooks them.
//
// Each view lays out its own children in layoutSubviews (a hookable message), so the frames a
// hook sees are the ones the system sets. Views are made empty; LockScreen fills them.

// The time label of the clock on systems 16 and later ("_UIAnimatingLabel").
class AnimatingLabel : public ui::Label {
    QV_OBJECT(AnimatingLabel, ui::Label);

  public:
    AnimatingLabel() = default;
    explicit AnimatingLabel(const base::Rect& frame) : ui::Label(frame) {}
    static std::shared_ptr<AnimatingLabel> create(const base::Rect& frame = {});
};

// A view that shows one label filling its bounds, laid out in its own layoutSubviews: the shape of
// the clock's and the date lines' inner views. Each subclass carries the system's class name.
class LabelFillingView : public ui::View {
    QV_OBJECT(LabelFillingView, ui::View);

  public:
    explicit LabelFillingView(std::shared_ptr<ui::Label> label = nullptr);
    const std::shared_ptr<ui::Label>& filledLabel() const { return label_; }

  protected:
    // Makes a subclass and adds its label (a view cannot add subviews before a shared pointer
    // owns it).
    template <class View>
    static std::shared_ptr<View> makeFilled() {
        auto view = std::make_shared<View>();
        view->addSubview(view->label_);
        return view;
    }

  private:
    static void registerMethods(runtime::MethodList<LabelFillingView>& methods);
    void layoutFilledLabel();

    std::shared_ptr<ui::Label> label_;
};

// The clock of systems 16 and later ("CSProminentTimeView"): one time label filling its bounds.
class ProminentTimeView : public LabelFillingView {
    QV_OBJECT(ProminentTimeView, LabelFillingView);

  public:
    ProminentTimeView();
    static std::shared_ptr<ProminentTimeView> create();
    std::shared_ptr<ui::Label> timeLabel() const { return filledLabel(); }
};

// The date line above the clock on systems 16 and later ("CSProminentSubtitleDateView").
class ProminentSubtitleDateView : public LabelFillingView {
    QV_OBJECT(ProminentSubtitleDateView, LabelFillingView);

  public:
    ProminentSubtitleDateView();
    static std::shared_ptr<ProminentSubtitleDateView> create();
    const std::shared_ptr<ui::Label>& dateLabel() const { return filledLabel(); }
};

// The view that keeps a label legible over any wallpaper on systems before 16
// ("SBUILegibilityLabel"). It holds the real label, filling its bounds.
class LegibilityLabel : public LabelFillingView {
    QV_OBJECT(LegibilityLabel, LabelFillingView);

  public:
    LegibilityLabel();
    static std::shared_ptr<LegibilityLabel> create();
    const std::shared_ptr<ui::Label>& label() const { return filledLabel(); }
};

// The date line below the clock on systems before 16 ("SBFLockScreenDateSubtitleDateView").
class LockScreenDateSubtitleDateView : public LabelFillingView {
    QV_OBJECT(LockScreenDateSubtitleDateView, LabelFillingView);

  public:
    LockScreenDateSubtitleDateView();
    static std::shared_ptr<LockScreenDateSubtitleDateView> create();
    const std::shared_ptr<ui::Label>& dateLabel() const { return filledLabel(); }
};

// The clock of systems before 16 ("SBFLockScreenDateView"): the time (a legibility view holding
// the label) at the top, the date line under it.
class LockScreenDateView : public ui::View {
    QV_OBJECT(LockScreenDateView, ui::View);

  public:
    // The date line's height and how far it tucks under the time's line box.
    static constexpr double kDateLineHeight = 24;
    static constexpr double kDateLineOverlap = 6;

    LockScreenDateView();
    static std::shared_ptr<LockScreenDateView> create();
    const std::shared_ptr<LegibilityLabel>& timeView() const { return timeView_; }
    const std::shared_ptr<ui::Label>& timeLabel() const { return timeView_->label(); }
    const std::shared_ptr<LockScreenDateSubtitleDateView>& dateLine() const { return dateLine_; }

    // The height the view needs for a time font of this line height.
    static double heightForTimeLine(double lineHeight) {
        return lineHeight - kDateLineOverlap + kDateLineHeight;
    }

  private:
    static void registerMethods(runtime::MethodList<LockScreenDateView>& methods);
    void layoutClock();

    std::shared_ptr<LegibilityLabel> timeView_;
    std::shared_ptr<LockScreenDateSubtitleDateView> dateLine_;
};

}  // namespace lockscreen
