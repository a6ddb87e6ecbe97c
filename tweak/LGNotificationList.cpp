#include "tweak/LGNotificationList.h"

#include <algorithm>

#include "platform/dispatch/Queue.h"
#include "platform/runtime/Class.h"
#include "platform/runtime/Hooks.h"
#include "platform/ui/Window.h"
#include "support/LGSharedSupport.h"
#include "tweak/LGClockHost.h"
#include "tweak/LGClockPreferences.h"
#include "tweak/LGViewTree.h"

namespace {

char kFirstSeenFrameKey;
char kApplyingFrameKey;
char kReapplyPendingKey;

constexpr double kBelowClock = 28;
constexpr double kMinimumHeight = 120;
constexpr double kMinimumMove = 0.5;
constexpr double kVisibleAlpha = 0.01;

runtime::Class* listClass() {
    static runtime::Class* cls = nullptr;
    if (cls == nullptr) cls = runtime::lookUpClass("NCNotificationListView");
    return cls;
}

bool hasMark(const ui::View* view, const char* key) {
    return runtime::attachedValue<bool>(view, key) != nullptr;
}

void setMark(ui::View* view, const char* key, bool on) {
    if (on) {
        runtime::setAttachedValue(view, key, std::make_shared<bool>(true));
    } else {
        runtime::setAttachedValue(view, key, nullptr);
    }
}

bool clockSwitchedOn() {
    return LGTweakEnabled() && LGPrefsBool(kLGClockEnabledKey, kLGClockEnabledDefault);
}

}  // namespace

bool LGNotificationListIsApplyingFrame(const ui::View* list) {
    return hasMark(list, &kApplyingFrameKey);
}

base::Rect LGNotificationListAdjustedFrame(const std::shared_ptr<ui::View>& list,
                                           const base::Rect& proposed) {
    // Pass 1: when the list is left alone.
    if (!list || !list->window() || LGIsModernSystem() || !clockSwitchedOn()) return proposed;
    auto firstSeen = runtime::attachedValue<base::Rect>(list.get(), &kFirstSeenFrameKey);
    if (!firstSeen) {
        firstSeen = std::make_shared<base::Rect>(proposed);
        runtime::setAttachedValue(list.get(), &kFirstSeenFrameKey, firstSeen);
    }
    const std::shared_ptr<ui::View> parent = list->superview();
    if (!parent) return proposed;
    runtime::Class* cls = listClass();
    if (cls && parent->isKindOfClass(cls)) return proposed;

    // Pass 2: the tallest nested list and the legacy clock.
    double nestedHeight = 0;
    for (const auto& sub : list->subviews()) {
        if (sub->className() != "NCNotificationListView" || sub->isHidden() ||
            !(sub->alpha() > kVisibleAlpha)) {
            continue;
        }
        nestedHeight = std::max({nestedHeight, sub->bounds().height(), sub->frame().height()});
    }
    std::shared_ptr<ui::View> host;
    LGWalkViewTree(list->window(), [&](const std::shared_ptr<ui::View>& v) {
        if (!host && LGClockIsLegacyHost(v.get()) && !v->isHidden() && v->alpha() > kVisibleAlpha)
            host = v;
    });
    if (!LGClockIsActiveForView(host ? host : list)) return proposed;

    // Pass 3: below the clock, unless a tall nested list needs the room.
    double targetTop = firstSeen->minY();
    if (host) targetTop = host->convertRect(host->bounds(), parent.get()).maxY() + kBelowClock;
    if (nestedHeight > std::max(proposed.height() + 80, 220.0)) targetTop = firstSeen->minY();
    const double delta = targetTop - proposed.minY();
    const double height = proposed.height() - delta;
    if (height > kMinimumHeight && std::abs(delta) > kMinimumMove) {
        return {proposed.minX(), targetTop, proposed.width(), height};
    }
    return proposed;
}

void LGNotificationListReapplyFrame(const std::shared_ptr<ui::View>& list) {
    if (!list || !list->window() || LGIsModernSystem() || !clockSwitchedOn()) return;
    if (LGNotificationListIsApplyingFrame(list.get())) return;
    const base::Rect current = list->frame();
    const base::Rect adjusted = LGNotificationListAdjustedFrame(list, current);
    if (adjusted == current) return;
    setMark(list.get(), &kApplyingFrameKey, true);
    list->setFrame(adjusted);
    setMark(list.get(), &kApplyingFrameKey, false);
}

std::shared_ptr<ui::View> LGNotificationListFindInController(ui::ViewController* controller) {
    if (!controller || LGIsModernSystem()) return nullptr;
    runtime::Class* cls = listClass();
    if (!cls) return nullptr;
    std::shared_ptr<ui::View> found;
    LGWalkViewTree(controller->view(), [&](const std::shared_ptr<ui::View>& v) {
        if (!found && v->isKindOfClass(cls)) found = v;
    });
    return found;
}

void LGNotificationListScheduleReapply(const std::shared_ptr<ui::View>& list) {
    if (!list || !list->window() || hasMark(list.get(), &kReapplyPendingKey)) return;
    setMark(list.get(), &kReapplyPendingKey, true);
    std::weak_ptr<ui::View> weak = list;
    dispatch::Queue::main()->async([weak] {
        auto list = weak.lock();
        if (!list) return;
        setMark(list.get(), &kReapplyPendingKey, false);
        if (list->window()) LGNotificationListReapplyFrame(list);
    });
}
