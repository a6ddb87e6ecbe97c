#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/Runtime.h"

namespace ui {

class Scene;
class Window;

// The process's application object ("UIApplication"): its connected scenes, in the order they
// connected (it keeps them alive), the key window, and opening URLs.
//
// Main thread only.
class Application : public runtime::Object {
    QV_OBJECT(Application, runtime::Object);

  public:
    static std::shared_ptr<Application> shared();

    void connectScene(const std::shared_ptr<Scene>& scene);
    void disconnectScene(const Scene* scene);
    const std::vector<std::shared_ptr<Scene>>& connectedScenes() const { return scenes_; }
    // The windows of every connected window scene: scene by scene, each scene's in its order.
    std::vector<std::shared_ptr<Window>> windows() const;
    std::shared_ptr<Window> keyWindow() const { return keyWindow_.lock(); }

    // Decides whether a URL can be opened (and opens it). Without one nothing opens.
    using URLHandler = std::function<bool(const std::string& url)>;
    void setURLHandler(URLHandler handler) { urlHandler_ = std::move(handler); }
    // Hands the URL to the handler; the completion hears on the next main-queue turn whether it
    // opened. Every request is recorded in requestedURLs(), opened or not.
    // Each request is also logged, one line on standard error (there is no browser to show it).
    void openURL(const std::string& url, std::function<void(bool success)> completion = {});
    // openURL:options:completionHandler:. The options are recorded with the request.
    using OpenURLOptions = std::map<std::string, std::string>;
    void openURL(const std::string& url, const OpenURLOptions& options,
                 std::function<void(bool success)> completion);
    const std::vector<OpenURLOptions>& requestedURLOptions() const { return requestedOptions_; }
    // Whether a handler is installed and the text has a scheme.
    bool canOpenURL(const std::string& url) const;
    const std::vector<std::string>& requestedURLs() const { return requestedURLs_; }

    Application();

  private:
    friend class Window;

    std::vector<std::shared_ptr<Scene>> scenes_;
    std::weak_ptr<Window> keyWindow_;
    URLHandler urlHandler_;
    std::vector<std::string> requestedURLs_;
    std::vector<OpenURLOptions> requestedOptions_;
};

}  // namespace ui
