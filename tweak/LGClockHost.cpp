#include "tweak/LGClockHost.h"

#include <array>
#include <string_view>

#include "platform/runtime/Class.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Window.h"
#include "support/LGSharedSupport.h"
#include "tweak/LGViewTree.h"

namespace {

// A class looked up by name until the process has it, then remembered.
class ClassByName {
  public:
    explicit constexpr ClassByName(const char* name) : name_(name) {}
    runtime::Class* get() {
        if (cls_ == nullptr) cls_ = runtime::lookUpClass(name_);
        return cls_;
    }

  private:
    const char* name_;
    runtime::Class* cls_ = nullptr;
};

ClassByName gModernHostClass{"CSProminentTimeView"};
ClassByName gLegacyHostClass{"SBFLockScreenDateView"};

constexpr double kVisibleAlpha = 0.01;
// A camera or snapshot view must cover at least this many square points to hide the clock.
constexpr double kBlockingArea = 20000;
constexpr std::string_view kPasscodeClassName = "CSPasscodeBackgroundView";
constexpr std::array<std::string_view, 6> kBlockingClassNames = {
    "CSPasscodeBackgroundView", "PBUISnapshotReplicaView",      "CAMViewfinderView",
    "CAMPreviewView",           "CAMPreviewViewControllerView", "CAMFullscreenViewfinderView"};

bool isBlockingClassName(const std::string& name) {
    for (std::string_view candidate : kBlockingClassNames) {
        if (name == candidate) return true;
    }
    return false;
}

bool isShownLegacyHost(const ui::View& view) {
    return LGClockIsLegacyHost(&view) && !view.isHidden() && view.alpha() > kVisibleAlpha;
}

}  // namespace

bool LGClockIsModernHost(const ui::View* view) {
    runtime::Class* cls = gModernHostClass.get();
    return view != nullptr && cls != nullptr && view->isKindOfClass(cls);
}

bool LGClockIsLegacyHost(const ui::View* view) {
    if (view == nullptr || LGIsModernSystem()) return false;
    runtime::Class* cls = gLegacyHostClass.get();
    return cls != nullptr && view->isKindOfClass(cls);
}

bool LGClockIsHost(const ui::View* view) {
    return LGClockIsModernHost(view) || LGClockIsLegacyHost(view);
}

std::string LGClockHostKind(const ui::View* view) {
    if (view == nullptr) return {};
    if (LGClockIsModernHost(view)) return "modern";
    if (LGClockIsLegacyHost(view)) return "legacy";
    return view->className();
}

bool LGClockIsViewVisible(const ui::View* view) {
    return view != nullptr && view->window() != nullptr && !view->isHidden() &&
           view->alpha() > kVisibleAlpha && view->layer()->opacity() > kVisibleAlpha &&
           !view->bounds().isEmpty();
}

bool LGClockIsHostBlocked(const std::shared_ptr<ui::View>& host) {
    if (!host) return false;
    std::shared_ptr<ui::Window> window = host->window();
    if (!window) return false;
    bool blocked = false;
    LGWalkViewTree(window, [&](const std::shared_ptr<ui::View>& v) {
        if (blocked || v == host || !isBlockingClassName(v->className())) return;
        if (!LGClockIsViewVisible(v.get())) return;
        if (v->isDescendantOfView(host.get()) || host->isDescendantOfView(v.get())) return;
        const base::Rect inWindow = v->convertRect(v->bounds(), nullptr);
        if (inWindow.isEmpty()) return;
        blocked = inWindow.width() * inWindow.height() >= kBlockingArea ||
                  v->className() == kPasscodeClassName;
    });
    return blocked;
}

std::shared_ptr<ui::View> LGClockNearestHostAbove(const ui::View* view) {
    if (view == nullptr) return nullptr;
    for (auto up = view->superview(); up; up = up->superview()) {
        if (LGClockIsHost(up.get())) return up;
    }
    return nullptr;
}

bool LGClockIsActiveForView(const std::shared_ptr<ui::View>& view) {
    if (!view) return false;
    std::shared_ptr<ui::Window> window = view->window();
    if (!window) return false;
    std::shared_ptr<ui::View> host =
        LGClockIsHost(view.get()) ? view : LGClockNearestHostAbove(view.get());
    if (!host) {
        const bool modern = LGIsModernSystem();
        LGWalkViewTree(window, [&](const std::shared_ptr<ui::View>& v) {
            if (host) return;
            if (modern ? LGClockIsModernHost(v.get()) : isShownLegacyHost(*v)) host = v;
        });
    }
    if (!host) return false;
    return LGClockIsViewVisible(host.get()) && !LGClockIsHostBlocked(host);
}
