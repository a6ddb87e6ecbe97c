#pragma once

#include <memory>
#include <vector>

#include "platform/ui/View.h"

namespace ui {

class Screen;
class ViewController;
class WindowScene;

// The root of a view tree shown on a screen ("UIWindow"). Its frame is in the screen's
// coordinate space; it is its own window. Windows start hidden, as on the phone:
// makeKeyAndVisible shows one.
//
// A window belongs to at most one scene, which lists it but does not keep it alive: whoever
// made the window holds it.
class Window : public View {
    QV_OBJECT(Window, View);

  public:
    Window();
    explicit Window(const base::Rect& frame);
    ~Window() override;
    static std::shared_ptr<Window> create(const base::Rect& frame);
    // A window covering the scene's screen, attached to the scene; nullptr without a scene.
    static std::shared_ptr<Window> create(const std::shared_ptr<WindowScene>& scene);

    std::shared_ptr<WindowScene> windowScene() const { return scene_.lock(); }
    // Moves the window to another scene's list (nullptr detaches it).
    void setWindowScene(const std::shared_ptr<WindowScene>& scene);
    std::shared_ptr<Screen> screen() const;

    double windowLevel() const { return windowLevel_; }
    void setWindowLevel(double level) { windowLevel_ = level; }

    bool isKeyWindow() const;
    void makeKeyWindow();
    void makeKeyAndVisible();

    const std::shared_ptr<ViewController>& rootViewController() const { return root_; }
    // Shows the controller's view filling the window, replacing the previous root's view.
    void setRootViewController(std::shared_ptr<ViewController> controller);

    // Every window alive in the process, in the order they were made.
    static std::vector<std::shared_ptr<Window>> allWindows();

  private:
    static void registerMethods(runtime::MethodList<Window>& methods);
    void setHiddenForWindow(bool hidden);
    void enroll();

    std::weak_ptr<WindowScene> scene_;
    std::shared_ptr<ViewController> root_;
    double windowLevel_ = 0;
};

}  // namespace ui
