#include "platform/ui/Window.h"

#include <algorithm>

#include "platform/ui/Application.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/WindowScene.h"

namespace ui {

QV_DEFINE_CLASS(Window, "UIWindow");

namespace {

// Every window, registered by its constructors and removed by its destructor, so the layout
// pass can find windows that no scene lists. Main thread only.
std::vector<Window*>& registry() {
    static std::vector<Window*>* windows = new std::vector<Window*>();
    return *windows;
}

}  // namespace

void Window::registerMethods(runtime::MethodList<Window>& methods) {
    methods.add<&Window::setHiddenForWindow>(kSetHidden);
}

Window::Window() : View(Screen::main()->bounds()) {
    enroll();
}

Window::Window(const base::Rect& frame) : View(frame) {
    enroll();
}

void Window::enroll() {
    markAsWindow();
    layer()->setHidden(true);
    registry().push_back(this);
}

Window::~Window() {
    std::erase(registry(), this);
    if (auto scene = scene_.lock()) {
        std::erase_if(scene->windows_, [](const auto& w) { return w.expired(); });
    }
}

std::shared_ptr<Window> Window::create(const base::Rect& frame) {
    return std::make_shared<Window>(frame);
}

std::shared_ptr<Window> Window::create(const std::shared_ptr<WindowScene>& scene) {
    if (!scene) return nullptr;
    const std::shared_ptr<Screen> screen = scene->screen() ? scene->screen() : Screen::main();
    auto window = std::make_shared<Window>(screen->bounds());
    window->setWindowScene(scene);
    return window;
}

std::vector<std::shared_ptr<Window>> Window::allWindows() {
    std::vector<std::shared_ptr<Window>> out;
    out.reserve(registry().size());
    for (Window* w : registry()) {
        if (auto strong = runtime::retained(w)) out.push_back(std::move(strong));
    }
    return out;
}

void Window::setWindowScene(const std::shared_ptr<WindowScene>& scene) {
    std::shared_ptr<WindowScene> old = scene_.lock();
    if (old == scene) return;
    if (old) {
        std::erase_if(old->windows_, [this](const auto& w) {
            auto strong = w.lock();
            return !strong || strong.get() == this;
        });
    }
    scene_ = scene;
    if (scene) {
        if (auto self = runtime::retained(this)) scene->windows_.push_back(self);
    }
}

std::shared_ptr<Screen> Window::screen() const {
    if (auto scene = scene_.lock(); scene && scene->screen()) return scene->screen();
    return Screen::main();
}

bool Window::isKeyWindow() const {
    return Application::shared()->keyWindow_.lock().get() == this;
}

void Window::makeKeyWindow() {
    if (auto self = runtime::retained(this)) Application::shared()->keyWindow_ = self;
}

void Window::makeKeyAndVisible() {
    makeKeyWindow();
    setHidden(false);
}

void Window::setHiddenForWindow(bool hidden) {
    const bool wasHidden = isHidden();
    if (hidden == wasHidden) {
        kSetHidden.sendSuper(this, hidden);
        return;
    }
    // The root view controller appears and disappears with its window.
    const std::shared_ptr<ViewController> root = root_;
    if (root) root->beginAppearanceTransition(!hidden, false);
    kSetHidden.sendSuper(this, hidden);
    if (root) root->endAppearanceTransition();
}

void Window::setRootViewController(std::shared_ptr<ViewController> controller) {
    if (controller == root_) return;
    const bool visible = !isHidden();
    std::shared_ptr<ViewController> old = std::move(root_);
    if (old) {
        if (visible) old->beginAppearanceTransition(false, false);
        if (auto view = old->viewIfLoaded(); view && view->superview().get() == this) {
            view->removeFromSuperview();
        }
        if (visible) old->endAppearanceTransition();
    }
    root_ = std::move(controller);
    if (!root_) return;
    const std::shared_ptr<View> view = root_->view();
    if (visible) root_->beginAppearanceTransition(true, false);
    if (view) {
        view->setFrame(bounds());
        view->setAutoresizingMask(AutoresizingMask::FlexibleWidth |
                                  AutoresizingMask::FlexibleHeight);
        addSubview(view);
    }
    if (visible) root_->endAppearanceTransition();
}

}  // namespace ui
