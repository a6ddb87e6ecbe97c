#include "support/LGWindows.h"

#include "platform/ui/Application.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowScene.h"

std::vector<std::shared_ptr<ui::Window>> LGAllWindows(const std::shared_ptr<ui::Application>& app) {
    std::vector<std::shared_ptr<ui::Window>> windows;
    if (!app) return windows;
    for (const auto& scene : app->connectedScenes()) {
        const auto windowScene = std::dynamic_pointer_cast<ui::WindowScene>(scene);
        if (!windowScene) continue;
        const auto sceneWindows = windowScene->windows();
        windows.insert(windows.end(), sceneWindows.begin(), sceneWindows.end());
    }
    return windows;
}
