#include "tweak/LGClockInjection.h"

#include <algorithm>

#include "platform/runtime/Class.h"
#include "platform/runtime/Hooks.h"
#include "platform/ui/Layer.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/Window.h"
#include "support/LGSharedSupport.h"
#include "tweak/LGClockFonts.h"
#include "tweak/LGClockGlassView.h"
#include "tweak/LGClockHost.h"
#include "tweak/LGClockOverlayContainer.h"
#include "tweak/LGClockPreferences.h"
#include "tweak/LGClockScrollObserver.h"
#include "tweak/LGClockTick.h"
#include "tweak/LGViewTree.h"

namespace {

char kOverlayKey;
char kScrollObserverKey;
char kRegisteredKey;
char kSavedAlphaKey;
char kSavedOpacityKey;

constexpr double kMinimumSourceSize = 20;
constexpr double kBusyAtRegistration = 0.25;

bool gStockLabelGuard = false;

// The live hosts, held weakly; dead entries are dropped whenever the set is read.
std::vector<std::weak_ptr<ui::View>>& liveHosts() {
    static std::vector<std::weak_ptr<ui::View>> hosts;
    return hosts;
}

bool isLabel(const ui::View* view) {
    return view != nullptr && view->isKindOfClass(ui::Label::staticClass());
}

bool showsLargeText(const ui::Label& label) {
    return !label.text().empty() && label.font() && label.font()->pointSize() >= kMinimumSourceSize;
}

bool clockSwitchedOn() {
    return LGTweakEnabled() && LGPrefsBool(kLGClockEnabledKey, kLGClockEnabledDefault);
}

// Sets the opacity of a layer and, without recursion, of every layer below it.
void setOpacityDeep(ui::Layer& root, float opacity) {
    std::vector<ui::Layer*> stack{&root};
    while (!stack.empty()) {
        ui::Layer* layer = stack.back();
        stack.pop_back();
        layer->setOpacity(opacity);
        for (const auto& sublayer : layer->sublayers()) stack.push_back(sublayer.get());
    }
}

class GuardScope {
  public:
    GuardScope() { gStockLabelGuard = true; }
    ~GuardScope() { gStockLabelGuard = false; }
};

const char* cleanupReason(bool enabled, bool visible, bool hasSource) {
    if (!enabled) return "disabled";
    if (!visible) return "not-visible";
    if (!hasSource) return "no-source";
    return "blocked";
}

void registerHost(const std::shared_ptr<ui::View>& host) {
    LGAssertMainThread();
    if (!LGClockIsHost(host.get()) || runtime::attachedValue<bool>(host.get(), &kRegisteredKey))
        return;
    runtime::setAttachedValue(host.get(), &kRegisteredKey, std::make_shared<bool>(true));
    liveHosts().push_back(host);
    LGDisplayLinkClient& client = LGClockDisplayLinkClient();
    client.activeCount += 1;
    LGDisplayLinkActivityChanged(&client);
    LGClockStartTicking();
    LGClockMarkBusy(kBusyAtRegistration);
}

void unregisterHost(const std::shared_ptr<ui::View>& host) {
    LGAssertMainThread();
    if (!runtime::attachedValue<bool>(host.get(), &kRegisteredKey)) return;
    runtime::setAttachedValue(host.get(), &kRegisteredKey, nullptr);
    auto& hosts = liveHosts();
    hosts.erase(std::remove_if(hosts.begin(), hosts.end(),
                               [&](const std::weak_ptr<ui::View>& w) {
                                   auto h = w.lock();
                                   return !h || h == host;
                               }),
                hosts.end());
    LGDisplayLinkClient& client = LGClockDisplayLinkClient();
    client.activeCount = std::max<std::int64_t>(client.activeCount, 1) - 1;
    LGDisplayLinkActivityChanged(&client);
    if (hosts.empty()) LGDisplayLinkDetach(&client);
}

std::shared_ptr<ui::ScrollView> nearestScrollView(const ui::View& host) {
    for (auto v = host.superview(); v; v = v->superview()) {
        if (auto scroll = std::dynamic_pointer_cast<ui::ScrollView>(v)) return scroll;
    }
    return nullptr;
}

}  // namespace

bool LGClockIsModernSourceCandidate(const ui::View* view) {
    if (!isLabel(view) || !LGViewHasAncestorNamed(view, "CSProminentTimeView")) return false;
    const auto& label = static_cast<const ui::Label&>(*view);
    return view->className() == "_UIAnimatingLabel" || showsLargeText(label);
}

bool LGClockIsLegacySourceCandidate(const ui::View* view) {
    if (!isLabel(view) || !LGViewHasAncestorNamed(view, "SBUILegibilityLabel") ||
        !LGViewHasAncestorNamed(view, "SBFLockScreenDateView")) {
        return false;
    }
    return showsLargeText(static_cast<const ui::Label&>(*view));
}

std::vector<std::shared_ptr<ui::Label>> LGClockCollectSourceLabels(
    const std::shared_ptr<ui::View>& host) {
    std::vector<std::shared_ptr<ui::Label>> labels;
    LGWalkViewTree(host, [&](const std::shared_ptr<ui::View>& v) {
        if (LGClockIsModernSourceCandidate(v.get()) || LGClockIsLegacySourceCandidate(v.get())) {
            labels.push_back(std::static_pointer_cast<ui::Label>(v));
        }
    });
    return labels;
}

std::shared_ptr<ui::View> LGClockHostForLabel(const ui::View* label) {
    return LGClockNearestHostAbove(label);
}

bool LGClockStockHidingEnabled() {
    return clockSwitchedOn() && LGPrefsBool(kLGClockHideStockTimeKey, kLGClockHideStockTimeDefault);
}

bool LGClockStockLabelGuard() {
    return gStockLabelGuard;
}

std::shared_ptr<LGClockGlassView> LGClockOverlayForHost(const ui::View* host) {
    return runtime::attachedValue<LGClockGlassView>(host, &kOverlayKey);
}

void LGClockHideStockLabel(const std::shared_ptr<ui::View>& view) {
    if (!view) return;
    if (!runtime::attachedValue<double>(view.get(), &kSavedAlphaKey)) {
        runtime::setAttachedValue(view.get(), &kSavedAlphaKey,
                                  std::make_shared<double>(view->alpha()));
        runtime::setAttachedValue(view.get(), &kSavedOpacityKey,
                                  std::make_shared<float>(view->layer()->opacity()));
    }
    GuardScope guard;
    view->setHidden(false);
    view->setAlpha(0);
    setOpacityDeep(*view->layer(), 0);
}

void LGClockRestoreStockLabel(const std::shared_ptr<ui::View>& view) {
    if (!view) return;
    const auto alpha = runtime::attachedValue<double>(view.get(), &kSavedAlphaKey);
    const auto opacity = runtime::attachedValue<float>(view.get(), &kSavedOpacityKey);
    {
        GuardScope guard;
        view->setAlpha(alpha ? *alpha : 1.0);
        view->layer()->setOpacity(opacity ? *opacity : 1.0f);
        setOpacityDeep(*view->layer(), view->layer()->opacity());
    }
    runtime::setAttachedValue(view.get(), &kSavedAlphaKey, nullptr);
    runtime::setAttachedValue(view.get(), &kSavedOpacityKey, nullptr);
}

void LGClockUpdateHost(const std::shared_ptr<ui::View>& host) {
    if (!LGClockIsHost(host.get())) return;
    const bool modern = LGClockIsModernHost(host.get());

    // Pass 1: the source label and the stock views to control.
    const auto candidates = LGClockCollectSourceLabels(host);
    std::shared_ptr<ui::Label> source;
    if (modern) {
        if (!candidates.empty()) source = candidates.front();
    } else {
        for (const auto& candidate : candidates) {
            if (!source || candidate->font()->pointSize() > source->font()->pointSize())
                source = candidate;
        }
    }
    std::vector<std::shared_ptr<ui::View>> stockViews;
    if (modern) {
        stockViews.assign(candidates.begin(), candidates.end());
    } else if (source) {
        std::shared_ptr<ui::View> stock = source;
        for (auto v = std::static_pointer_cast<ui::View>(source); v; v = v->superview()) {
            if (v->className() == "SBUILegibilityLabel") {
                stock = v;
                break;
            }
        }
        stockViews.push_back(stock);
    }
    std::shared_ptr<LGClockGlassView> overlay = LGClockOverlayForHost(host.get());

    // Pass 2: the four conditions, in order.
    const bool enabled = clockSwitchedOn();
    const bool hiding = LGClockStockHidingEnabled();
    const bool visible = LGClockIsViewVisible(host.get());
    const bool blocked = LGClockIsHostBlocked(host);

    if (enabled && visible && source && !blocked) {
        // Pass 3a: attach.
        for (const auto& stock : stockViews) {
            if (hiding) {
                LGClockHideStockLabel(stock);
            } else {
                LGClockRestoreStockLabel(stock);
            }
        }
        const text::FontRef font = LGClockDisplayFont(source.get(), host.get());
        const std::shared_ptr<ui::View> container = LGClockOverlayContainer(host, source, font);
        if (overlay) {
            if (overlay->superview() != container) {
                overlay->removeFromSuperview();
                container->addSubview(overlay);
                LGTrace("clock inject kind=%@ host=%@ container=%@ frame=%@ source=%@",
                        LGClockHostKind(host.get()), host->className(), container->className(),
                        host->frame(), source->frame());
            }
        } else {
            overlay = LGClockGlassView::create(source->frame());
            runtime::setAttachedValue(host.get(), &kOverlayKey, overlay);
            container->addSubview(overlay);
            LGTrace("clock inject kind=%@ host=%@ container=%@ frame=%@ source=%@",
                    LGClockHostKind(host.get()), host->className(), container->className(),
                    host->frame(), source->frame());
        }
        overlay->setClockHost(host);
        registerHost(host);

        const std::shared_ptr<ui::ScrollView> scrollView = nearestScrollView(*host);
        auto observer =
            runtime::attachedValue<LGClockScrollObserver>(host.get(), &kScrollObserverKey);
        if (observer && observer->scrollView() == scrollView) {
            observer->setOverlay(overlay);
        } else {
            if (observer) observer->invalidate();
            if (scrollView) {
                runtime::setAttachedValue(host.get(), &kScrollObserverKey,
                                          LGClockScrollObserver::create(scrollView, host, overlay));
            } else {
                runtime::setAttachedValue(host.get(), &kScrollObserverKey, nullptr);
            }
        }
        overlay->syncFromSourceLabel(source);
        if (auto parent = overlay->superview()) parent->bringSubviewToFront(overlay.get());
        return;
    }

    // Pass 3b: clean up.
    if (overlay) {
        LGTrace("clock cleanup kind=%@ reason=%@ host=%@ frame=%@", LGClockHostKind(host.get()),
                cleanupReason(enabled, visible, source != nullptr), host->className(),
                host->frame());
        overlay->removeFromSuperview();
        runtime::setAttachedValue(host.get(), &kOverlayKey, nullptr);
    }
    if (auto observer =
            runtime::attachedValue<LGClockScrollObserver>(host.get(), &kScrollObserverKey)) {
        observer->invalidate();
        runtime::setAttachedValue(host.get(), &kScrollObserverKey, nullptr);
    }
    unregisterHost(host);
    for (const auto& stock : stockViews) LGClockRestoreStockLabel(stock);
}

std::vector<std::shared_ptr<ui::View>> LGClockLiveHosts() {
    std::vector<std::shared_ptr<ui::View>> alive;
    auto& hosts = liveHosts();
    hosts.erase(std::remove_if(hosts.begin(), hosts.end(),
                               [&](const std::weak_ptr<ui::View>& w) {
                                   auto h = w.lock();
                                   if (h) alive.push_back(h);
                                   return !h;
                               }),
                hosts.end());
    return alive;
}

void LGClockStartTicking() {
    LGAssertMainThread();
    LGDisplayLinkClient& client = LGClockDisplayLinkClient();
    if (client.displayLink || !clockSwitchedOn()) return;
    LGDisplayLinkAttach(&client, LGClockBusyFramesPerSecond(), &LGClockTick);
}

void LGClockTick() {
    for (const auto& host : LGClockLiveHosts()) {
        if (host->window() && LGClockIsViewVisible(host.get())) {
            if (!LGClockIsHost(host.get())) continue;
            auto overlay = LGClockOverlayForHost(host.get());
            if (overlay && overlay->superview()) {
                overlay->refreshForDisplayLink();
            } else {
                LGClockUpdateHost(host);
            }
        } else {
            LGClockUpdateHost(host);
        }
    }
}
