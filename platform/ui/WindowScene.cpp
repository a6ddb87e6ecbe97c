#include "platform/ui/WindowScene.h"

#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

namespace ui {

QV_DEFINE_CLASS(Scene, "UIScene");
QV_DEFINE_CLASS(WindowScene, "UIWindowScene");

WindowScene::WindowScene(std::shared_ptr<Screen> screen, std::string identifier)
    : Scene(std::move(identifier)), screen_(screen ? std::move(screen) : Screen::main()) {}

std::shared_ptr<WindowScene> WindowScene::create(std::shared_ptr<Screen> screen,
                                                 std::string identifier) {
    return std::make_shared<WindowScene>(std::move(screen), std::move(identifier));
}

const CoordinateSpace& WindowScene::coordinateSpace() const {
    return screen_->coordinateSpace();
}

TraitCollection WindowScene::traitCollection() const {
    return screen_->traitCollection();
}

std::vector<std::shared_ptr<Window>> WindowScene::windows() const {
    std::vector<std::shared_ptr<Window>> out;
    for (const auto& weak : windows_) {
        if (auto w = weak.lock()) out.push_back(std::move(w));
    }
    return out;
}

}  // namespace ui
