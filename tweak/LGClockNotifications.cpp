#include "tweak/LGClockNotifications.h"

#include <algorithm>
#include <string_view>

#include "platform/ui/Window.h"
#include "tweak/LGClockHost.h"
#include "tweak/LGViewTree.h"

namespace {

constexpr double kBandMargin = 32;
// A platter must reach this far below the clock's top to count.
constexpr double kReach = 1;

bool isPlatterClassName(const std::string& name) {
    return name == "PLPlatterView" || name == "NCNotificationShortLookView" ||
           name == "NCNotificationLongLookView";
}

}  // namespace

double LGClockNearestNotificationTop(const std::shared_ptr<ui::View>& excluded,
                                     const std::shared_ptr<ui::View>& reference,
                                     const base::Rect& rect) {
    if (!excluded || !reference) return kLGClockNoNotificationTop;
    std::shared_ptr<ui::View> root = reference->window();
    if (!root) root = reference;
    const double bandMinX = rect.minX() - kBandMargin;
    const double bandMaxX = rect.maxX() + kBandMargin;

    double nearest = kLGClockNoNotificationTop;
    LGWalkViewTree(root, [&](const std::shared_ptr<ui::View>& v) {
        // Pass 1: what the view is. The tests are all required, so they run cheapest first: the
        // class name rules out almost every view.
        if (!isPlatterClassName(v->className())) return;
        if (v == excluded || v->isDescendantOfView(excluded.get())) return;
        if (!LGClockIsViewVisible(v.get())) return;
        if (LGViewHasAncestorNamed(v.get(), "NCNotificationShortLookView") ||
            LGViewHasAncestorNamed(v.get(), "NCNotificationLongLookView")) {
            return;
        }
        // Pass 2: where it lies relative to the clock.
        const base::Rect r = v->convertRect(v->bounds(), reference.get());
        if (r.isEmpty()) return;
        if (r.maxX() < bandMinX || r.minX() > bandMaxX) return;
        if (!(r.maxY() > rect.minY() + kReach)) return;
        nearest = std::min(nearest, r.minY());
    });
    return nearest;
}
