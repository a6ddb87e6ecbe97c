#pragma once

#include <memory>
#include <vector>

#include "platform/dispatch/RunLoopItems.h"
#include "platform/dispatch/Time.h"

namespace ui {
class Layer;
}

namespace ui::detail {

// Ends animations on time: one run-loop timer, in every mode, fires when the earliest running
// animation of any layer ends, removes what has finished and reports the stops. The presentation
// never waits for it (a layer ignores ended animations by itself); it exists so that completions
// run, and run at the media time they are due.
class AnimationDriver {
  public:
    static AnimationDriver& shared();

    // Watches the layer until it has no animation left to report, and makes sure the timer
    // fires by `endNanos`.
    void track(const std::shared_ptr<Layer>& layer, dispatch::Nanos endNanos);

  private:
    AnimationDriver() = default;
    void fire();
    void armAt(dispatch::Nanos when);

    std::vector<std::weak_ptr<Layer>> layers_;
    std::shared_ptr<dispatch::RunLoopTimer> timer_;
    dispatch::Nanos armedAt_ = dispatch::kNever;
};

}  // namespace ui::detail
