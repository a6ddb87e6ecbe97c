#pragma once

#include <memory>

#include "platform/ui/KeyValueObserving.h"
#include "platform/ui/ScrollView.h"
#include "tweak/LGClockGlassView.h"

// Keeps a clock overlay in step with the scroll view that carries its host: every change of the
// scroll view's "contentOffset" or "bounds" marks the clock busy and re-synchronises the overlay
// over the label's new place. Owned by the host (an attached value); it owns none of the three
// views it knows. Main thread only.
class LGClockScrollObserver : public runtime::Object {
    QV_OBJECT(LGClockScrollObserver, runtime::Object);

  public:
    // initWithScrollView:host:overlay: — observes the scroll view when there is one.
    static std::shared_ptr<LGClockScrollObserver> create(
        const std::shared_ptr<ui::ScrollView>& scrollView, const std::shared_ptr<ui::View>& host,
        const std::shared_ptr<LGClockGlassView>& overlay);
    LGClockScrollObserver() = default;
    ~LGClockScrollObserver() override;

    // Stops observing; a second call, or one after the scroll view died, does nothing.
    void invalidate();

    std::shared_ptr<ui::View> host() const { return host_.lock(); }
    std::shared_ptr<LGClockGlassView> overlay() const { return overlay_.lock(); }
    void setOverlay(const std::shared_ptr<LGClockGlassView>& overlay) { overlay_ = overlay; }
    std::shared_ptr<ui::ScrollView> scrollView() const { return scrollView_.lock(); }
    bool isObserving() const { return observing_; }

  private:
    static void registerMethods(runtime::MethodList<LGClockScrollObserver>& methods);
    void observeValueForKeyPath(const std::string& keyPath, runtime::Object* object,
                                const ui::ObservedChange& change, void* context);
    void scrolled();

    std::weak_ptr<ui::View> host_;
    std::weak_ptr<LGClockGlassView> overlay_;
    std::weak_ptr<ui::ScrollView> scrollView_;
    bool observing_ = false;
};
