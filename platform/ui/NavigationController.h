#pragma once

#include <memory>
#include <vector>

#include "platform/ui/ViewController.h"

namespace ui {

class NavigationBar;

// A stack of controllers of which the top one is shown, under a navigation bar that shows their
// items ("UINavigationController").
//
// Pushing and popping run the appearance callbacks while the navigation controller is on
// screen: the leaving controller's viewWillDisappear: and the arriving one's viewWillAppear:
// before the change, their viewDidDisappear: and viewDidAppear: after it (after the 0.35 s
// slide when animated). A push or pop that arrives during a slide first finishes that slide.
// Only the top controller appears and disappears with the navigation controller.
class NavigationController : public ViewController {
    QV_OBJECT(NavigationController, ViewController);

  public:
    static constexpr double kTransitionDuration = 0.35;

    NavigationController();
    ~NavigationController() override;
    static std::shared_ptr<NavigationController> create(std::shared_ptr<ViewController> root);

    std::vector<std::shared_ptr<ViewController>> viewControllers() const { return stack_; }
    std::shared_ptr<ViewController> topViewController() const;
    // A controller already on the stack, nullptr or a navigation controller is not pushed.
    void pushViewController(const std::shared_ptr<ViewController>& controller, bool animated);
    // nullptr at the root.
    std::shared_ptr<ViewController> popViewControllerAnimated(bool animated);
    void popToRootViewControllerAnimated(bool animated);
    const std::shared_ptr<NavigationBar>& navigationBar();
    bool isTransitioning() const { return transition_ != nullptr; }

  protected:
    std::vector<std::shared_ptr<ViewController>> childrenForAppearance() const override;

  private:
    static void registerMethods(runtime::MethodList<NavigationController>& methods);
    void loadNavigationView();
    void layoutNavigation();
    void syncBar();
    // Shows `to` in place of `from`; `removing` leave the stack once the change is over.
    void transition(const std::shared_ptr<ViewController>& from,
                    const std::shared_ptr<ViewController>& to, bool push, bool animated,
                    std::vector<std::shared_ptr<ViewController>> removing);
    void finishTransition();

    struct Transition;

    std::vector<std::shared_ptr<ViewController>> stack_;
    std::shared_ptr<NavigationBar> bar_;
    std::shared_ptr<View> layoutView_;
    std::unique_ptr<Transition> transition_;
};

}  // namespace ui
