#include "glass/LGWallpaperSnapshot.h"

#include "glass/detail/LGWallpaperSnapshotTesting.h"
#include "platform/dispatch/Time.h"
#include "platform/graphics/ImageContext.h"
#include "platform/runtime/Class.h"
#include "platform/ui/Application.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowScene.h"

namespace {

constexpr double kHeldInterval = 2.0;
constexpr double kRetryInterval = 0.25;

struct SnapshotState {
    double lastAttempt = 0;  // media seconds; 0: never
    graphics::ImageRef image;
    base::Point origin;
};

SnapshotState& state() {
    static SnapshotState s;
    return s;
}

std::shared_ptr<ui::Window> wallpaperWindow() {
    runtime::Class* secure = runtime::lookUpClass("_SBWallpaperSecureWindow");
    runtime::Class* plain = runtime::lookUpClass("_SBWallpaperWindow");
    std::shared_ptr<ui::Window> found;
    for (const auto& scene : ui::Application::shared()->connectedScenes()) {
        const auto windowScene = std::dynamic_pointer_cast<ui::WindowScene>(scene);
        if (!windowScene) continue;
        for (const auto& window : windowScene->windows()) {
            if (secure && window->isKindOfClass(secure)) return window;
            if (!found && plain && window->isKindOfClass(plain)) found = window;
        }
    }
    return found;
}

graphics::ImageRef drawWindow(ui::Window& window) {
    const base::Rect bounds = window.bounds();
    if (!graphics::beginImageContext(bounds.size, false, ui::Screen::main()->scale())) {
        return nullptr;
    }
    // The view's own snapshot first; a window that cannot draw its hierarchy (not shown, say)
    // still has a layer tree to render.
    if (!window.drawHierarchyInRect(bounds, false)) {
        if (graphics::Context* context = graphics::currentContext()) {
            window.layer()->renderInContext(*context);
        }
    }
    graphics::ImageRef image = graphics::imageFromCurrentImageContext();
    graphics::endImageContext();
    return image;
}

}  // namespace

graphics::ImageRef LGCaptureWallpaperSnapshot() {
    SnapshotState& s = state();
    const double now = dispatch::now();
    if (s.lastAttempt > 0) {
        const double interval = s.image ? kHeldInterval : kRetryInterval;
        if (now - s.lastAttempt < interval) return s.image;
    }
    s.lastAttempt = now;

    std::shared_ptr<ui::Window> window = wallpaperWindow();
    if (!window || window->bounds().isEmpty()) return s.image;
    const base::Point origin = window->transformToScreen().apply(window->bounds()).origin;
    graphics::ImageRef image = drawWindow(*window);
    if (!image) return s.image;
    s.image = image;
    s.origin = origin;
    return image;
}

base::Point LGWallpaperSnapshotOrigin() {
    LGCaptureWallpaperSnapshot();
    return state().origin;
}

void LGWallpaperSnapshotResetForTesting() {
    state() = SnapshotState{};
}
