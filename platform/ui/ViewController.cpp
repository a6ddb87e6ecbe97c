#include "platform/ui/ViewController.h"

#include <algorithm>

#include "platform/ui/Screen.h"
#include "platform/ui/View.h"

namespace ui {

QV_DEFINE_CLASS(ViewController, "UIViewController");

void ViewController::registerMethods(runtime::MethodList<ViewController>& methods) {
    methods.add<&ViewController::loadViewDefault>(kLoadView)
        .add<&ViewController::nothing>(kViewDidLoad)
        .add<&ViewController::nothingAnimated>(kViewWillAppear)
        .add<&ViewController::nothingAnimated>(kViewDidAppear)
        .add<&ViewController::nothingAnimated>(kViewWillDisappear)
        .add<&ViewController::nothingAnimated>(kViewDidDisappear)
        .add<&ViewController::nothing>(kViewWillLayoutSubviews)
        .add<&ViewController::nothing>(kViewDidLayoutSubviews)
        .add<&ViewController::nothingWithParent>(kWillMoveToParentViewController)
        .add<&ViewController::nothingWithParent>(kDidMoveToParentViewController);
}

ViewController::ViewController() = default;

ViewController::~ViewController() = default;

void ViewController::loadViewDefault() {
    setView(View::create(Screen::main()->bounds()));
}

std::shared_ptr<View> ViewController::view() {
    if (view_ || loading_) return view_;
    loading_ = true;
    kLoadView.send(this);
    // An override that made no view still leaves the controller with one.
    if (!view_) loadViewDefault();
    loading_ = false;
    kViewDidLoad.send(this);
    return view_;
}

void ViewController::setView(std::shared_ptr<View> view) {
    if (view == view_) return;
    if (view_ && view_->viewController_.lock().get() == this) view_->viewController_.reset();
    view_ = std::move(view);
    if (view_) view_->viewController_ = runtime::weakRef(this);
}

void ViewController::addChildViewController(const std::shared_ptr<ViewController>& child) {
    if (!child || child.get() == this) return;
    if (child->parent_.lock().get() == this) return;
    if (child->parent_.lock()) child->removeFromParentViewController();
    child->willMoveToParentViewController(this);
    children_.push_back(child);
    child->parent_ = runtime::weakRef(this);
}

void ViewController::removeFromParentViewController() {
    std::shared_ptr<ViewController> parent = parent_.lock();
    if (!parent) return;
    std::shared_ptr<ViewController> keep = runtime::retained(this);
    didMoveToParentViewController(nullptr);
    std::erase_if(parent->children_, [this](const auto& c) { return c.get() == this; });
    parent_.reset();
}

void ViewController::beginAppearanceTransition(bool appearing, bool animated) {
    const State target = appearing ? State::Appearing : State::Disappearing;
    if (state_ == target) return;
    if (appearing && state_ == State::Appeared) return;
    if (!appearing && state_ == State::Disappeared) return;
    state_ = target;
    animatedTransition_ = animated;
    if (appearing) {
        kViewWillAppear.send(this, animated);
    } else {
        kViewWillDisappear.send(this, animated);
    }
    for (const auto& child : childrenForAppearance()) {
        child->beginAppearanceTransition(appearing, animated);
    }
}

void ViewController::endAppearanceTransition() {
    if (state_ != State::Appearing && state_ != State::Disappearing) return;
    const bool appearing = state_ == State::Appearing;
    state_ = appearing ? State::Appeared : State::Disappeared;
    if (appearing) {
        kViewDidAppear.send(this, animatedTransition_);
    } else {
        kViewDidDisappear.send(this, animatedTransition_);
    }
    for (const auto& child : childrenForAppearance()) child->endAppearanceTransition();
}

}  // namespace ui
