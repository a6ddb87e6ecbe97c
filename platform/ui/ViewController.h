#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/Runtime.h"

namespace ui {

class NavigationController;
class NavigationItem;
class View;

// Manages a view ("UIViewController"): loads it on first use, hears when it appears and
// disappears, and hears around each layout of it. The methods the system calls go through the
// method table (the kName constants), so they can be overridden and hooked.
//
// A controller owns its view and its child controllers; its parent is weak. Main thread only.
class ViewController : public runtime::Object {
    QV_OBJECT(ViewController, runtime::Object);

  public:
    static inline const runtime::Message<void()> kLoadView{"loadView"};
    static inline const runtime::Message<void()> kViewDidLoad{"viewDidLoad"};
    static inline const runtime::Message<void(bool)> kViewWillAppear{"viewWillAppear:"};
    static inline const runtime::Message<void(bool)> kViewDidAppear{"viewDidAppear:"};
    static inline const runtime::Message<void(bool)> kViewWillDisappear{"viewWillDisappear:"};
    static inline const runtime::Message<void(bool)> kViewDidDisappear{"viewDidDisappear:"};
    static inline const runtime::Message<void()> kViewWillLayoutSubviews{"viewWillLayoutSubviews"};
    static inline const runtime::Message<void()> kViewDidLayoutSubviews{"viewDidLayoutSubviews"};
    static inline const runtime::Message<void(ViewController*)> kWillMoveToParentViewController{
        "willMoveToParentViewController:"};
    static inline const runtime::Message<void(ViewController*)> kDidMoveToParentViewController{
        "didMoveToParentViewController:"};

    ViewController();
    ~ViewController() override;
    static std::shared_ptr<ViewController> create() { return std::make_shared<ViewController>(); }

    // The view, loaded on first use: loadView (whose default makes a plain view the size of
    // the screen), then viewDidLoad.
    std::shared_ptr<View> view();
    const std::shared_ptr<View>& viewIfLoaded() const { return view_; }
    bool isViewLoaded() const { return view_ != nullptr; }
    void loadViewIfNeeded() { (void)view(); }
    // For loadView implementations; also replaces a loaded view.
    void setView(std::shared_ptr<View> view);

    const std::string& title() const { return title_; }
    // Also the navigation item's title.
    void setTitle(std::string title);

    // ---- Containment ------------------------------------------------------------------------
    std::shared_ptr<ViewController> parentViewController() const { return parent_.lock(); }
    const std::vector<std::shared_ptr<ViewController>>& childViewControllers() const {
        return children_;
    }
    // Adds the child (sending it willMoveToParentViewController:); the container adds the
    // child's view itself and then calls didMoveToParentViewController on the child.
    void addChildViewController(const std::shared_ptr<ViewController>& child);
    // Sends didMoveToParentViewController:(nullptr) and removes this controller from its parent.
    void removeFromParentViewController();
    void willMoveToParentViewController(ViewController* parent) {
        kWillMoveToParentViewController.send(this, parent);
    }
    void didMoveToParentViewController(ViewController* parent) {
        kDidMoveToParentViewController.send(this, parent);
    }

    // ---- Navigation and presentation ----------------------------------------------------------
    // The item a navigation bar shows while this controller is on top (made on first use).
    const std::shared_ptr<NavigationItem>& navigationItem();
    // The nearest navigation controller among the ancestors.
    std::shared_ptr<NavigationController> navigationController() const;

    // Shows the controller's view over this one's window, filling it, and runs the appearance
    // callbacks (the covered controller stays appeared, as for a sheet over the page). Nothing
    // happens when this controller's view is in no window or it already presents one.
    void presentViewController(const std::shared_ptr<ViewController>& controller, bool animated,
                               std::function<void()> completion = {});
    // Dismisses what this controller presents, or, for a presented controller, itself.
    void dismissViewControllerAnimated(bool animated, std::function<void()> completion = {});
    std::shared_ptr<ViewController> presentedViewController() const { return presented_; }
    std::shared_ptr<ViewController> presentingViewController() const { return presenting_.lock(); }

    // ---- Appearance -------------------------------------------------------------------------
    // Sends viewWillAppear:/viewWillDisappear: to this controller and its children; the matching
    // end sends viewDidAppear:/viewDidDisappear:. Unbalanced or repeated calls are ignored.
    void beginAppearanceTransition(bool appearing, bool animated);
    void endAppearanceTransition();
    bool isAppeared() const { return state_ == State::Appeared; }

  protected:
    // The children that appear and disappear with this controller (a navigation controller
    // passes appearance on to its top controller only).
    virtual std::vector<std::shared_ptr<ViewController>> childrenForAppearance() const {
        return children_;
    }

  private:
    static void registerMethods(runtime::MethodList<ViewController>& methods);
    void loadViewDefault();
    void nothing() {}
    void nothingAnimated(bool) {}
    void nothingWithParent(ViewController*) {}

    enum class State { Disappeared, Appearing, Appeared, Disappearing };

    std::shared_ptr<View> view_;
    std::weak_ptr<ViewController> parent_;
    std::vector<std::shared_ptr<ViewController>> children_;
    std::string title_;
    std::shared_ptr<NavigationItem> navigationItem_;
    std::shared_ptr<ViewController> presented_;
    std::weak_ptr<ViewController> presenting_;
    State state_ = State::Disappeared;
    bool animatedTransition_ = false;
    bool loading_ = false;
};

}  // namespace ui
