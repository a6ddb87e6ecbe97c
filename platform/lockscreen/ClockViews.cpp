#include "platform/lockscreen/ClockViews.h"

#include <algorithm>

namespace lockscreen {

QV_DEFINE_CLASS(AnimatingLabel, "_UIAnimatingLabel");
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

// ---- ProminentTimeView --------------------------------------------------------------------------

void ProminentTimeView::registerMethods(runtime::MethodList<ProminentTimeView>& methods) {
    methods.add<&ProminentTimeView::layoutTimeLabel>(kLayoutSubviews);
}

ProminentTimeView::ProminentTimeView() : timeLabel_(AnimatingLabel::create()) {
    timeLabel_->setTextAlignment(ui::TextAlignment::Center);
}

std::shared_ptr<ProminentTimeView> ProminentTimeView::create() {
    auto view = std::make_shared<ProminentTimeView>();
    view->addSubview(view->timeLabel_);
    return view;
}

void ProminentTimeView::layoutTimeLabel() {
    timeLabel_->setFrame(bounds());
}

// ---- ProminentSubtitleDateView ------------------------------------------------------------------

void ProminentSubtitleDateView::registerMethods(
    runtime::MethodList<ProminentSubtitleDateView>& methods) {
    methods.add<&ProminentSubtitleDateView::layoutDateLabel>(kLayoutSubviews);
}

ProminentSubtitleDateView::ProminentSubtitleDateView() : dateLabel_(makeCentredLabel()) {}

std::shared_ptr<ProminentSubtitleDateView> ProminentSubtitleDateView::create() {
    auto view = std::make_shared<ProminentSubtitleDateView>();
    view->addSubview(view->dateLabel_);
    return view;
}

void ProminentSubtitleDateView::layoutDateLabel() {
    dateLabel_->setFrame(bounds());
}

// ---- LegibilityLabel ----------------------------------------------------------------------------

void LegibilityLabel::registerMethods(runtime::MethodList<LegibilityLabel>& methods) {
    methods.add<&LegibilityLabel::layoutLabel>(kLayoutSubviews);
}

LegibilityLabel::LegibilityLabel() : label_(makeCentredLabel()) {}

std::shared_ptr<LegibilityLabel> LegibilityLabel::create() {
    auto view = std::make_shared<LegibilityLabel>();
    view->addSubview(view->label_);
    return view;
}

void LegibilityLabel::layoutLabel() {
    label_->setFrame(bounds());
}

// ---- LockScreenDateSubtitleDateView -------------------------------------------------------------

void LockScreenDateSubtitleDateView::registerMethods(
    runtime::MethodList<LockScreenDateSubtitleDateView>& methods) {
    methods.add<&LockScreenDateSubtitleDateView::layoutDateLabel>(kLayoutSubviews);
}

LockScreenDateSubtitleDateView::LockScreenDateSubtitleDateView() : dateLabel_(makeCentredLabel()) {}

std::shared_ptr<LockScreenDateSubtitleDateView> LockScreenDateSubtitleDateView::create() {
    auto view = std::make_shared<LockScreenDateSubtitleDateView>();
    view->addSubview(view->dateLabel_);
    return view;
}

void LockScreenDateSubtitleDateView::layoutDateLabel() {
    dateLabel_->setFrame(bounds());
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
