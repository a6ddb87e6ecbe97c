#include "platform/ui/NavigationController.h"

#include <algorithm>

#include "platform/ui/NavigationBar.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/Screen.h"
#include "platform/ui/SystemColors.h"
#include "platform/ui/View.h"

namespace ui {

QV_DEFINE_CLASS(NavigationController, "UINavigationController");

namespace {

// The view of a navigation controller: it lays out the bar and the top controller's view.
class NavigationLayoutView : public View {
    QV_OBJECT(NavigationLayoutView, View);

  public:
    explicit NavigationLayoutView(const base::Rect& frame) : View(frame) {}
    std::function<void()> onLayout;

  private:
    static void registerMethods(runtime::MethodList<NavigationLayoutView>& methods) {
        methods.add<&NavigationLayoutView::layoutNavigation>(kLayoutSubviews);
    }
    void layoutNavigation() {
        if (onLayout) onLayout();
    }
};

QV_DEFINE_CLASS(NavigationLayoutView, "UILayoutContainerView");

}  // namespace

struct NavigationController::Transition {
    std::shared_ptr<ViewController> from;
    std::shared_ptr<ViewController> to;
    std::vector<std::shared_ptr<ViewController>> removing;
    bool push = true;
    bool appearing = false;
};

void NavigationController::registerMethods(runtime::MethodList<NavigationController>& methods) {
    methods.add<&NavigationController::loadNavigationView>(kLoadView);
}

NavigationController::NavigationController() = default;
NavigationController::~NavigationController() = default;

std::shared_ptr<NavigationController> NavigationController::create(
    std::shared_ptr<ViewController> root) {
    auto nav = std::make_shared<NavigationController>();
    if (root) nav->pushViewController(root, false);
    return nav;
}

const std::shared_ptr<NavigationBar>& NavigationController::navigationBar() {
    if (!bar_) {
        bar_ = NavigationBar::create();
        const std::weak_ptr<NavigationController> self = runtime::weakRef(this);
        bar_->setBackHandler([self] {
            if (auto nav = self.lock()) nav->popViewControllerAnimated(true);
        });
        syncBar();
    }
    return bar_;
}

void NavigationController::loadNavigationView() {
    auto view = std::make_shared<NavigationLayoutView>(Screen::main()->bounds());
    view->setBackgroundColor(colors::systemBackground());
    view->onLayout = [this] { layoutNavigation(); };
    setView(view);
    layoutView_ = view;
    view->addSubview(navigationBar());
    if (auto top = topViewController()) {
        const std::shared_ptr<View> content = top->view();
        content->setFrame(view->bounds());
        view->insertSubview(content, 0);
    }
}

void NavigationController::layoutNavigation() {
    const std::shared_ptr<View>& view = viewIfLoaded();
    if (!view) return;
    const base::Rect b = view->bounds();
    bar_->setFrame({0, 0, b.width(), NavigationBar::kHeight});
    // Content runs under the bar, as on the phone; pages inset themselves.
    if (!transition_) {
        if (auto top = topViewController(); top && top->viewIfLoaded()) {
            top->viewIfLoaded()->setFrame(b);
        }
    }
}

std::shared_ptr<ViewController> NavigationController::topViewController() const {
    return stack_.empty() ? nullptr : stack_.back();
}

std::vector<std::shared_ptr<ViewController>> NavigationController::childrenForAppearance() const {
    if (transition_) return {};
    if (auto top = topViewController()) return {top};
    return {};
}

void NavigationController::syncBar() {
    if (!bar_) return;
    std::vector<std::shared_ptr<NavigationItem>> items;
    for (const auto& c : stack_) items.push_back(c->navigationItem());
    bar_->setItems(std::move(items));
}

void NavigationController::pushViewController(const std::shared_ptr<ViewController>& controller,
                                              bool animated) {
    if (!controller || controller.get() == this ||
        std::dynamic_pointer_cast<NavigationController>(controller) ||
        std::find(stack_.begin(), stack_.end(), controller) != stack_.end()) {
        return;
    }
    finishTransition();
    const std::shared_ptr<ViewController> from = topViewController();
    addChildViewController(controller);
    stack_.push_back(controller);
    syncBar();
    transition(from, controller, true, animated, {});
}

std::shared_ptr<ViewController> NavigationController::popViewControllerAnimated(bool animated) {
    finishTransition();
    if (stack_.size() < 2) return nullptr;
    const std::shared_ptr<ViewController> from = stack_.back();
    stack_.pop_back();
    syncBar();
    from->willMoveToParentViewController(nullptr);
    transition(from, stack_.back(), false, animated, {from});
    return from;
}

void NavigationController::popToRootViewControllerAnimated(bool animated) {
    finishTransition();
    if (stack_.size() < 2) return;
    const std::shared_ptr<ViewController> from = stack_.back();
    std::vector<std::shared_ptr<ViewController>> removing(stack_.begin() + 1, stack_.end());
    stack_.resize(1);
    syncBar();
    for (const auto& c : removing) c->willMoveToParentViewController(nullptr);
    transition(from, stack_.back(), false, animated, std::move(removing));
}

void NavigationController::transition(const std::shared_ptr<ViewController>& from,
                                      const std::shared_ptr<ViewController>& to, bool push,
                                      bool animated,
                                      std::vector<std::shared_ptr<ViewController>> removing) {
    auto t = std::make_unique<Transition>();
    t->from = from;
    t->to = to;
    t->push = push;
    t->removing = std::move(removing);
    t->appearing = isAppeared();
    const std::shared_ptr<View>& container = layoutView_;
    const std::shared_ptr<View> toView = to->view();
    if (t->appearing) {
        if (from) from->beginAppearanceTransition(false, animated);
        to->beginAppearanceTransition(true, animated);
    }
    transition_ = std::move(t);
    if (!container) return finishTransition();

    const base::Rect b = container->bounds();
    toView->setFrame(b);
    container->insertSubviewBelow(toView, bar_.get());
    if (!animated || !from || !from->viewIfLoaded() || !container->window()) {
        return finishTransition();
    }
    // The arriving page slides in from the right on a push and from a little to the left on a
    // pop; the leaving page moves the other way.
    const std::shared_ptr<View> fromView = from->viewIfLoaded();
    const double w = b.width();
    if (push) {
        toView->setFrame(b.offsetBy(w, 0));
    } else {
        toView->setFrame(b.offsetBy(-w * 0.3, 0));
        container->insertSubviewBelow(toView, fromView.get());
    }
    const std::weak_ptr<NavigationController> self = runtime::weakRef(this);
    Transition* started = transition_.get();
    View::animate(
        kTransitionDuration,
        [&] {
            toView->setFrame(b);
            fromView->setFrame(b.offsetBy(push ? -w * 0.3 : w, 0));
        },
        [self, started](bool) {
            auto nav = self.lock();
            if (nav && nav->transition_.get() == started) nav->finishTransition();
        });
}

void NavigationController::finishTransition() {
    if (!transition_) return;
    const std::unique_ptr<Transition> t = std::move(transition_);
    if (t->from && t->from != t->to) {
        if (auto v = t->from->viewIfLoaded(); v && layoutView_ && v->superview() == layoutView_) {
            v->removeFromSuperview();
        }
    }
    if (auto v = t->to->viewIfLoaded(); v && layoutView_) v->setFrame(layoutView_->bounds());
    if (t->appearing) {
        if (t->from) t->from->endAppearanceTransition();
        t->to->endAppearanceTransition();
    }
    for (const auto& c : t->removing) {
        // A leaving page's view goes back to its resting frame for when it is pushed again.
        if (auto v = c->viewIfLoaded(); v && layoutView_) v->setFrame(layoutView_->bounds());
        c->removeFromParentViewController();
    }
    if (t->push) t->to->didMoveToParentViewController(this);
}

}  // namespace ui
