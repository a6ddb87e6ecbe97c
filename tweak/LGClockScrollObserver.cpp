#include "tweak/LGClockScrollObserver.h"

#include "glass/LGWallpaperSnapshot.h"
#include "platform/ui/Window.h"
#include "tweak/LGClockTick.h"
#include "tweak/LGClockWallpaper.h"

QV_DEFINE_CLASS(LGClockScrollObserver, "LGClockScrollObserver");

namespace {

// Tells this observer's registrations from any other the scroll view has.
char kScrollContext;
// While scrolling, the clock ticks at its full rate until this long after the last change.
constexpr double kBusyWhileScrolling = 0.35;

}  // namespace

void LGClockScrollObserver::registerMethods(runtime::MethodList<LGClockScrollObserver>& methods) {
    methods.add<&LGClockScrollObserver::observeValueForKeyPath>(ui::kObserveValueForKeyPath);
}

std::shared_ptr<LGClockScrollObserver> LGClockScrollObserver::create(
    const std::shared_ptr<ui::ScrollView>& scrollView, const std::shared_ptr<ui::View>& host,
    const std::shared_ptr<LGClockGlassView>& overlay) {
    auto observer = std::make_shared<LGClockScrollObserver>();
    observer->host_ = host;
    observer->overlay_ = overlay;
    observer->scrollView_ = scrollView;
    if (scrollView) {
        scrollView->addObserver(observer, "contentOffset", ui::ObservingOptions::New,
                                &kScrollContext);
        scrollView->addObserver(observer, "bounds", ui::ObservingOptions::New, &kScrollContext);
        observer->observing_ = true;
    }
    return observer;
}

LGClockScrollObserver::~LGClockScrollObserver() {
    invalidate();
}

void LGClockScrollObserver::invalidate() {
    if (!observing_) return;
    observing_ = false;
    auto scrollView = scrollView_.lock();
    if (!scrollView) return;
    // A registration that is already gone is no error for teardown; the second removal is only
    // tried when the first one found its registration.
    if (scrollView->removeObserver(this, "contentOffset", &kScrollContext)) {
        scrollView->removeObserver(this, "bounds", &kScrollContext);
    }
}

void LGClockScrollObserver::observeValueForKeyPath(const std::string&, runtime::Object*,
                                                   const ui::ObservedChange&, void* context) {
    if (context != &kScrollContext) return;
    scrolled();
}

void LGClockScrollObserver::scrolled() {
    auto host = host_.lock();
    auto overlay = overlay_.lock();
    if (!host || !host->window() || !overlay) return;
    if (!overlay->superview()) return;
    LGClockMarkBusy(kBusyWhileScrolling);
    if (auto label = overlay->sourceLabel()) {
        overlay->syncFromSourceLabel(label);
    } else if (auto glass = overlay->glassView()) {
        glass->setWallpaperImage(LGClockCurrentWallpaper());
        glass->setWallpaperOrigin(LGWallpaperSnapshotOrigin());
        overlay->setNeedsLayout();
    }
    // The overlay's frame in its container may not change at all while the container scrolls:
    // the glass re-measures where it now lies on screen, so the wallpaper behind it stays put.
    if (auto glass = overlay->glassView()) glass->updateOrigin();
}
