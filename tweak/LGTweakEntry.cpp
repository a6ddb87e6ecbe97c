// The tweak's entry: libQuorvane.so has no main function. The hooking framework's loader opens it
// in every process its filter names; its three load-time initialisers run then, in order. Only
// in the home-screen process does it subscribe to preference reloads and replace eighteen
// methods of the system's lock-screen classes and of UILabel. Every replacement calls the
// previous implementation and then routes the event into the clock.
#include <cstdlib>
#include <memory>

#include "platform/dispatch/Queue.h"
#include "platform/runtime/Class.h"
#include "platform/substrate/Substrate.h"
#include "platform/ui/Label.h"
#include "platform/ui/ViewController.h"
#include "support/LGSharedSupport.h"
#include "tweak/LGClockDateLine.h"
#include "tweak/LGClockInjection.h"
#include "tweak/LGClockRefresh.h"
#include "tweak/LGClockTick.h"
#include "tweak/LGNotificationList.h"
#include "tweak/LGViewTree.h"

namespace {

using Obj = runtime::Object;
using Sel = runtime::SEL;

std::shared_ptr<ui::View> viewOf(Obj* self) {
    return std::dynamic_pointer_cast<ui::View>(runtime::retained(self));
}

bool isSourceCandidate(const ui::View* label) {
    return LGClockIsModernSourceCandidate(label) || LGClockIsLegacySourceCandidate(label);
}

void updateHostOfLabel(const ui::View* label) {
    if (!isSourceCandidate(label)) return;
    if (auto host = LGClockHostForLabel(label)) LGClockUpdateHost(host);
}

void traceAttach(const char* format, const ui::View& view) {
    LGTrace(format, view.className(), view.window() ? 1 : 0, view.frame());
}

// ---- Previous implementations, one slot per row ------------------------------------------------

void (*prevModernDidMoveToWindow)(Obj*, Sel) = nullptr;
void (*prevModernLayoutSubviews)(Obj*, Sel) = nullptr;
void (*prevLegacyDidMoveToWindow)(Obj*, Sel) = nullptr;
void (*prevLegacyLayoutSubviews)(Obj*, Sel) = nullptr;
void (*prevLegacyDateDidMoveToWindow)(Obj*, Sel) = nullptr;
void (*prevLegacyDateLayoutSubviews)(Obj*, Sel) = nullptr;
void (*prevModernDateSetFrame)(Obj*, Sel, base::Rect) = nullptr;
void (*prevModernDateDidMoveToWindow)(Obj*, Sel) = nullptr;
void (*prevModernDateLayoutSubviews)(Obj*, Sel) = nullptr;
void (*prevListSetFrame)(Obj*, Sel, base::Rect) = nullptr;
void (*prevListDidMoveToWindow)(Obj*, Sel) = nullptr;
void (*prevListLayoutSubviews)(Obj*, Sel) = nullptr;
void (*prevListWillLayout)(Obj*, Sel) = nullptr;
void (*prevListDidLayout)(Obj*, Sel) = nullptr;
void (*prevLabelSetText)(Obj*, Sel, const std::string&) = nullptr;
void (*prevLabelSetFont)(Obj*, Sel, const text::FontRef&) = nullptr;
void (*prevLabelSetAlpha)(Obj*, Sel, double) = nullptr;
void (*prevLabelSetHidden)(Obj*, Sel, bool) = nullptr;

// ---- Replacements -------------------------------------------------------------------------------

void modernDidMoveToWindow(Obj* self, Sel cmd) {
    prevModernDidMoveToWindow(self, cmd);
    auto view = viewOf(self);
    if (!view) return;
    traceAttach("clock attach kind=modern host=%@ window=%d frame=%@", *view);
    LGClockUpdateHost(view);
}

void modernLayoutSubviews(Obj* self, Sel cmd) {
    prevModernLayoutSubviews(self, cmd);
    LGClockUpdateHost(viewOf(self));
}

void legacyDidMoveToWindow(Obj* self, Sel cmd) {
    prevLegacyDidMoveToWindow(self, cmd);
    auto view = viewOf(self);
    if (!view) return;
    traceAttach("clock attach kind=legacy host=%@ window=%d frame=%@", *view);
    LGClockPlaceLegacyDateLineInHost(view);
    LGClockUpdateHost(view);
}

void legacyLayoutSubviews(Obj* self, Sel cmd) {
    prevLegacyLayoutSubviews(self, cmd);
    auto view = viewOf(self);
    LGClockPlaceLegacyDateLineInHost(view);
    LGClockUpdateHost(view);
}

void legacyDateLineChanged(Obj* self) {
    auto view = viewOf(self);
    LGClockRewriteDateLabels(view);
    LGClockPlaceLegacyDateLine(view);
}

void legacyDateDidMoveToWindow(Obj* self, Sel cmd) {
    prevLegacyDateDidMoveToWindow(self, cmd);
    legacyDateLineChanged(self);
}

void legacyDateLayoutSubviews(Obj* self, Sel cmd) {
    prevLegacyDateLayoutSubviews(self, cmd);
    legacyDateLineChanged(self);
}

void modernDateSetFrame(Obj* self, Sel cmd, base::Rect frame) {
    prevModernDateSetFrame(self, cmd, LGClockModernDateLineFrame(viewOf(self), frame));
}

void modernDateDidMoveToWindow(Obj* self, Sel cmd) {
    prevModernDateDidMoveToWindow(self, cmd);
    LGClockRewriteDateLabels(viewOf(self));
}

void modernDateLayoutSubviews(Obj* self, Sel cmd) {
    prevModernDateLayoutSubviews(self, cmd);
    LGClockRewriteDateLabels(viewOf(self));
}

void listSetFrame(Obj* self, Sel cmd, base::Rect frame) {
    auto view = viewOf(self);
    if (view && !LGNotificationListIsApplyingFrame(view.get())) {
        frame = LGNotificationListAdjustedFrame(view, frame);
    }
    prevListSetFrame(self, cmd, frame);
}

void listDidMoveToWindow(Obj* self, Sel cmd) {
    prevListDidMoveToWindow(self, cmd);
    LGNotificationListScheduleReapply(viewOf(self));
}

void listLayoutSubviews(Obj* self, Sel cmd) {
    prevListLayoutSubviews(self, cmd);
    LGNotificationListReapplyFrame(viewOf(self));
}

void reapplyInController(Obj* self) {
    auto* controller = dynamic_cast<ui::ViewController*>(self);
    if (auto list = LGNotificationListFindInController(controller))
        LGNotificationListReapplyFrame(list);
}

void listWillLayout(Obj* self, Sel cmd) {
    prevListWillLayout(self, cmd);
    reapplyInController(self);
}

void listDidLayout(Obj* self, Sel cmd) {
    prevListDidLayout(self, cmd);
    reapplyInController(self);
}

void labelSetText(Obj* self, Sel cmd, const std::string& text) {
    prevLabelSetText(self, cmd, text);
    auto view = viewOf(self);
    if (!view) return;
    if (LGViewHasAncestorNamed(view.get(), "SBFLockScreenDateSubtitleDateView")) {
        LGClockRewriteDateLabel(view);
        return;
    }
    updateHostOfLabel(view.get());
}

void labelSetFont(Obj* self, Sel cmd, const text::FontRef& font) {
    prevLabelSetFont(self, cmd, font);
    updateHostOfLabel(viewOf(self).get());
}

void labelSetAlpha(Obj* self, Sel cmd, double alpha) {
    prevLabelSetAlpha(self, cmd, alpha);
    if (LGClockStockLabelGuard()) return;
    if (!(alpha > 0) || !LGClockStockHidingEnabled()) return;
    updateHostOfLabel(viewOf(self).get());
}

void labelSetHidden(Obj* self, Sel cmd, bool hidden) {
    prevLabelSetHidden(self, cmd, hidden);
    if (LGClockStockLabelGuard() || !LGClockStockHidingEnabled()) return;
    updateHostOfLabel(viewOf(self).get());
}

template <class R, class... A>
void hook(const char* className, const runtime::Message<R(A...)>& message,
          R (*replacement)(Obj*, Sel, A...), R (**previous)(Obj*, Sel, A...)) {
    MSHookMessageEx(runtime::lookUpClass(className), message.selector(), replacement, previous);
}

// ---- Load-time initialisers ---------------------------------------------------------------------

__attribute__((constructor(101))) void LGTweakLoadTrace() {
    LGTrace("Quorvane loaded in %@", LGHostBundleIdentifier());
}

__attribute__((constructor(102))) void LGTweakInstallHooks() {
    if (!LGIsSpringBoard()) return;
    LGPrefsObserveReload([] { dispatch::Queue::main()->async([] { LGClockRefreshAllHosts(); }); });

    using ui::View;
    hook("CSProminentTimeView", View::kDidMoveToWindow, &modernDidMoveToWindow,
         &prevModernDidMoveToWindow);
    hook("CSProminentTimeView", View::kLayoutSubviews, &modernLayoutSubviews,
         &prevModernLayoutSubviews);
    hook("SBFLockScreenDateView", View::kDidMoveToWindow, &legacyDidMoveToWindow,
         &prevLegacyDidMoveToWindow);
    hook("SBFLockScreenDateView", View::kLayoutSubviews, &legacyLayoutSubviews,
         &prevLegacyLayoutSubviews);
    hook("SBFLockScreenDateSubtitleDateView", View::kDidMoveToWindow, &legacyDateDidMoveToWindow,
         &prevLegacyDateDidMoveToWindow);
    hook("SBFLockScreenDateSubtitleDateView", View::kLayoutSubviews, &legacyDateLayoutSubviews,
         &prevLegacyDateLayoutSubviews);
    hook("CSProminentSubtitleDateView", View::kSetFrame, &modernDateSetFrame,
         &prevModernDateSetFrame);
    hook("CSProminentSubtitleDateView", View::kDidMoveToWindow, &modernDateDidMoveToWindow,
         &prevModernDateDidMoveToWindow);
    hook("CSProminentSubtitleDateView", View::kLayoutSubviews, &modernDateLayoutSubviews,
         &prevModernDateLayoutSubviews);
    hook("NCNotificationListView", View::kSetFrame, &listSetFrame, &prevListSetFrame);
    hook("NCNotificationListView", View::kDidMoveToWindow, &listDidMoveToWindow,
         &prevListDidMoveToWindow);
    hook("NCNotificationListView", View::kLayoutSubviews, &listLayoutSubviews,
         &prevListLayoutSubviews);
    hook("NCNotificationStructuredListViewController", ui::ViewController::kViewWillLayoutSubviews,
         &listWillLayout, &prevListWillLayout);
    hook("NCNotificationStructuredListViewController", ui::ViewController::kViewDidLayoutSubviews,
         &listDidLayout, &prevListDidLayout);
    hook("UILabel", ui::Label::kSetText, &labelSetText, &prevLabelSetText);
    hook("UILabel", ui::Label::kSetFont, &labelSetFont, &prevLabelSetFont);
    hook("UILabel", View::kSetAlpha, &labelSetAlpha, &prevLabelSetAlpha);
    hook("UILabel", View::kSetHidden, &labelSetHidden, &prevLabelSetHidden);
}

// The clock's display link is let go at exit, before the process's own teardown.
void LGClockReleaseDisplayLink() {
    LGDisplayLinkClient& client = LGClockDisplayLinkClient();
    client.displayLink.reset();
    client.driver.reset();
}

__attribute__((constructor(103))) void LGTweakSetUpClockTick() {
    LGClockDisplayLinkClient() = LGDisplayLinkClient{};
    std::atexit(LGClockReleaseDisplayLink);
}

}  // namespace
