// ViewController's navigation item and modal presentation.
#include "platform/dispatch/Queue.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

namespace ui {

namespace {

constexpr double kPresentationDuration = 0.3;

void finish(std::function<void()> completion) {
    if (completion) dispatch::Queue::main()->async(std::move(completion));
}

}  // namespace

void ViewController::setTitle(std::string title) {
    if (title == title_) return;
    title_ = std::move(title);
    if (navigationItem_) navigationItem_->setTitle(title_);
}

const std::shared_ptr<NavigationItem>& ViewController::navigationItem() {
    if (!navigationItem_) navigationItem_ = NavigationItem::create(title_);
    return navigationItem_;
}

std::shared_ptr<NavigationController> ViewController::navigationController() const {
    for (std::shared_ptr<ViewController> p = parentViewController(); p;
         p = p->parentViewController()) {
        if (auto nav = std::dynamic_pointer_cast<NavigationController>(p)) return nav;
    }
    return nullptr;
}

void ViewController::presentViewController(const std::shared_ptr<ViewController>& controller,
                                           bool animated, std::function<void()> completion) {
    const std::shared_ptr<Window> window = view_ ? view_->window() : nullptr;
    if (!controller || controller.get() == this || presented_ || !window) return;
    presented_ = controller;
    controller->presenting_ = runtime::weakRef(this);
    const std::shared_ptr<View> view = controller->view();
    view->setFrame(window->bounds());
    view->setAutoresizingMask(AutoresizingMask::FlexibleWidth | AutoresizingMask::FlexibleHeight);
    controller->beginAppearanceTransition(true, animated);
    window->addSubview(view);
    if (!animated) {
        controller->endAppearanceTransition();
        finish(std::move(completion));
        return;
    }
    view->setAlpha(0);
    const std::weak_ptr<ViewController> weak = controller;
    View::animate(
        kPresentationDuration, [view] { view->setAlpha(1); },
        [weak, completion = std::move(completion)](bool) {
            if (auto c = weak.lock()) c->endAppearanceTransition();
            if (completion) completion();
        });
}

void ViewController::dismissViewControllerAnimated(bool animated,
                                                   std::function<void()> completion) {
    // A presented controller asked to dismiss itself hands the request to its presenter.
    if (!presented_) {
        if (auto presenter = presenting_.lock()) {
            presenter->dismissViewControllerAnimated(animated, std::move(completion));
        }
        return;
    }
    const std::shared_ptr<ViewController> controller = std::move(presented_);
    presented_.reset();
    controller->presenting_.reset();
    controller->beginAppearanceTransition(false, animated);
    const std::shared_ptr<View> view = controller->viewIfLoaded();
    const auto done = [controller, view](std::function<void()> then) {
        if (view) view->removeFromSuperview();
        controller->endAppearanceTransition();
        if (then) then();
    };
    if (!animated || !view) {
        done({});
        finish(std::move(completion));
        return;
    }
    View::animate(
        kPresentationDuration, [view] { view->setAlpha(0); },
        [done, completion = std::move(completion)](bool) { done(completion); });
}

}  // namespace ui
