#include "platform/lockscreen/ClockViews.h"

#include <algorithm>

namespace lockscreen {

QV_DEFINE_CLASS(AnimatingLabel, "_UIAnimatingLabel");
QV_DEFINE_CLASS(LabelFillingView, "QVLabelFillingView");
QV_DEFINE_CLASS(ProminentTimeView, "CSProminentTimeView");
QV_DEFINE_CLASS(ProminentSubtitleDateView, "CSProminentSubtitleDateView");
QV_DEFINE_CLASS(LegibilityLabel, "SBUILegibilityLabel");
QV_DEFINE_CLASS(LockScreenDateSubtitleDateView, "SBFLockScreenDateSubtitleDateView");
QV_DEFINE_CLASS(LockScreenDateView, "SBFLockScreenDateView");

namespace {

std::shared_ptr<ui::Label> makeCentredLabel() {
    auto label = ui::Label::create();
    label->setTextAlignment(ui::TextAlignment::Center);
    return label;
}

}  // namespace

std::shared_ptr<AnimatingLabel> AnimatingLabel::create(const base::Rect& frame) {
    return std::make_shared<AnimatingLabel>(frame);
}

// ---- LabelFillingView ---------------------------------------------------------------------------

void LabelFillingView::registerMethods(runtime::MethodList<LabelFillingView>& methods) {
    methods.add<&LabelFillingView::layoutFilledLabel>(kLayoutSubviews);
}

LabelFillingView::LabelFillingView(std::shared_ptr<ui::Label> label)
    : label_(label ? std::move(label) : makeCentredLabel()) {
    label_->setTextAlignment(ui::TextAlignment::Center);
}

void LabelFillingView::layoutFilledLabel() {
    label_->setFrame(bounds());
}

// ---- The label views under their system names ---------------------------------------------------

ProminentTimeView::ProminentTimeView() : LabelFillingView(AnimatingLabel::create()) {}
ProminentSubtitleDateView::ProminentSubtitleDateView() = default;
LegibilityLabel::LegibilityLabel() = default;
LockScreenDateSubtitleDateView::LockScreenDateSubtitleDateView() = default;

std::shared_ptr<ProminentTimeView> ProminentTimeView::create() {
    return makeFilled<ProminentTimeView>();
}

std::shared_ptr<ProminentSubtitleDateView> ProminentSubtitleDateView::create() {
    return makeFilled<ProminentSubtitleDateView>();
}

std::shared_ptr<LegibilityLabel> LegibilityLabel::create() {
    return makeFilled<LegibilityLabel>();
}

std::shared_ptr<LockScreenDateSubtitleDateView> LockScreenDateSubtitleDateView::create() {
    return makeFilled<LockScreenDateSubtitleDateView>();
}

// ---- LockScreenDateView -------------------------------------------------------------------------

void LockScreenDateView::registerMethods(runtime::MethodList<LockScreenDateView>& methods) {
    methods.add<&LockScreenDateView::layoutClock>(kLayoutSubviews);
}

LockScreenDateView::LockScreenDateView()
    : timeView_(LegibilityLabel::create()), dateLine_(LockScreenDateSubtitleDateView::create()) {}

std::shared_ptr<LockScreenDateView> LockScreenDateView::create() {
    auto view = std::make_shared<LockScreenDateView>();
    view->addSubview(view->timeView_);
    view->addSubview(view->dateLine_);
    return view;
}

void LockScreenDateView::layoutClock() {
    // The time takes the top of the view; the date line sits under the digits, overlapping the
    // time's line box a little, as the system draws it.
    const base::Rect b = bounds();
    const double timeHeight = std::max(0.0, b.size.height - kDateLineHeight + kDateLineOverlap);
    timeView_->setFrame({0, 0, b.size.width, timeHeight});
    dateLine_->setFrame({0, timeHeight - kDateLineOverlap, b.size.width, kDateLineHeight});
}

}  // namespace lockscreen
