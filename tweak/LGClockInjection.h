#pragma once

#include <memory>
#include <vector>

#include "platform/ui/Label.h"
#include "platform/ui/View.h"

// Whether a clock host carries the glass clock, and carrying that out: recognising the label that
// shows the time, hiding or restoring the stock digits, placing one overlay in the right
// container, watching the scroll view around the host, and driving the clock's tick while any
// host is registered. Everything is decided again on every call. Main thread only.

// A UILabel inside a CSProminentTimeView that is an "_UIAnimatingLabel", or shows text in a font
// of at least 20 points.
bool LGClockIsModernSourceCandidate(const ui::View* view);
// A UILabel inside both a SBUILegibilityLabel and a SBFLockScreenDateView, showing text in a font
// of at least 20 points.
bool LGClockIsLegacySourceCandidate(const ui::View* view);
// Every view of the host's subtree (walk order, the host included) that is a candidate.
std::vector<std::shared_ptr<ui::Label>> LGClockCollectSourceLabels(
    const std::shared_ptr<ui::View>& host);
// The nearest clock host above the label (the label excluded), or nullptr.
std::shared_ptr<ui::View> LGClockHostForLabel(const ui::View* label);

// The tweak, the clock and the hiding of the stock time are all switched on.
bool LGClockStockHidingEnabled();

// The inject-or-clean-up routine for one host.
void LGClockUpdateHost(const std::shared_ptr<ui::View>& host);

// Hides a stock clock view (alpha 0, every layer's opacity 0, not hidden), saving its alpha and
// opacity at the first hide; restores the saved values (1 when none were saved).
void LGClockHideStockLabel(const std::shared_ptr<ui::View>& view);
void LGClockRestoreStockLabel(const std::shared_ptr<ui::View>& view);
// Set while the tweak itself changes a stock view's hidden, alpha or opacity state.
bool LGClockStockLabelGuard();

// The registered hosts, held weakly, in a snapshot of those still alive.
std::vector<std::shared_ptr<ui::View>> LGClockLiveHosts();

// Attaches the clock's record to the display-link hub at its full rate (nothing when attached or
// switched off), and the tick it runs.
void LGClockStartTicking();
void LGClockTick();

// The overlay attached to a host, or nullptr.
class LGClockGlassView;
std::shared_ptr<LGClockGlassView> LGClockOverlayForHost(const ui::View* host);
