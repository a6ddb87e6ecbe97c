#include "platform/ui/Application.h"

#include <cstdio>

#include <algorithm>

#include "platform/dispatch/Queue.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowScene.h"

namespace ui {

QV_DEFINE_CLASS(Application, "UIApplication");

Application::Application() = default;

std::shared_ptr<Application> Application::shared() {
    // Lives as long as the process: hooks and late callbacks may reach it during exit.
    static auto* app = new std::shared_ptr<Application>(std::make_shared<Application>());
    return *app;
}

void Application::connectScene(const std::shared_ptr<Scene>& scene) {
    if (!scene || std::find(scenes_.begin(), scenes_.end(), scene) != scenes_.end()) return;
    scenes_.push_back(scene);
}

void Application::disconnectScene(const Scene* scene) {
    std::erase_if(scenes_, [&](const auto& s) { return s.get() == scene; });
}

std::vector<std::shared_ptr<Window>> Application::windows() const {
    std::vector<std::shared_ptr<Window>> out;
    for (const auto& scene : scenes_) {
        const auto windowScene = std::dynamic_pointer_cast<WindowScene>(scene);
        if (!windowScene) continue;
        for (auto& window : windowScene->windows()) out.push_back(std::move(window));
    }
    return out;
}

bool Application::canOpenURL(const std::string& url) const {
    return urlHandler_ && url.find(':') != std::string::npos;
}

void Application::openURL(const std::string& url, std::function<void(bool success)> completion) {
    openURL(url, {}, std::move(completion));
}

void Application::openURL(const std::string& url, const OpenURLOptions& options,
                          std::function<void(bool success)> completion) {
    requestedURLs_.push_back(url);
    requestedOptions_.push_back(options);
    const bool opened = canOpenURL(url) && urlHandler_(url);
    std::fprintf(stderr, "[ui] openURL %s (%s)\n", url.c_str(), opened ? "opened" : "not opened");
    if (completion) {
        dispatch::Queue::main()->async(
            [completion = std::move(completion), opened] { completion(opened); });
    }
}

}  // namespace ui
