#include "glass/LGWallpaperSnapshot.h"

#include "glass/detail/LGWallpaperSnapshotTesting.h"
#include "platform/dispatch/Time.h"
#include "platform/graphics/ImageContext.h"
#include "platform/runtime/Class.h"
#include "platform/ui/Application.h"
#include "platform/ui/Layer.h"
#include "platform/ui/LayerTreeVersion.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowScene.h"

namespace {

constexpr double kHeldInterval = 2.0;
constexpr double kRetryInterval = 0.25;

// What a capture drew: the same window, unchanged, at the same place and scale draws the same
// picture again.
struct CaptureKey {
    const ui::Window* window = nullptr;
    std::uint64_t treeVersion = 0;
    base::Rect bounds;
    base::Point origin;
    double scale = 0;
    friend bool operator==(const CaptureKey&, const CaptureKey&) = default;
};

struct SnapshotState {
    double lastAttempt = 0;  // media seconds; 0: never
    graphics::ImageRef image;
    base::Point origin;
    CaptureKey captured;
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
    // An unchanged wallpaper window gives the held image back instead of an equal new one: a new
    // image object would cost every clock a texture upload, a blur and a frame.
    const CaptureKey key{window.get(), ui::layerTreeVersion(*window->layer()), window->bounds(),
                         origin, ui::Screen::main()->scale()};
    if (s.image && key == s.captured) return s.image;
    graphics::ImageRef image = drawWindow(*window);
    if (!image) return s.image;
    s.image = image;
    s.origin = origin;
    s.captured = key;
    return image;
}

base::Point LGWallpaperSnapshotOrigin() {
    LGCaptureWallpaperSnapshot();
    return state().origin;
}

void LGWallpaperSnapshotResetForTesting() {
    state() = SnapshotState{};
}
