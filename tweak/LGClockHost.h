#pragma once

#include <memory>
#include <string>

#include "platform/ui/View.h"

// The clock hosts and when they can carry the glass clock.
//
// A clock host is a system view that shows the time: "modern" for the clock view of systems 16
// and later (a kind of CSProminentTimeView), "legacy" for the date view of earlier systems (a
// kind of SBFLockScreenDateView, never a host from 16 on). The classes are looked up by name
// until found; while a class does not exist in the process its test is false.
//
// Main thread only.

bool LGClockIsModernHost(const ui::View* view);
bool LGClockIsLegacyHost(const ui::View* view);
bool LGClockIsHost(const ui::View* view);
// "modern", "legacy", or the view's class name for any other view ("" for none).
std::string LGClockHostKind(const ui::View* view);

// In a window, not hidden, alpha and layer opacity above 0.01, and with non-empty bounds.
bool LGClockIsViewVisible(const ui::View* view);

// Whether a system view covers the host's window: a visible passcode background of any size, or
// a visible camera or snapshot view of at least 20000 square points, that is neither inside the
// host nor around it. A host without a window is not blocked.
bool LGClockIsHostBlocked(const std::shared_ptr<ui::View>& host);

// Whether a visible, unblocked clock host exists for `view`: the view itself or its nearest host
// ancestor, else the first clock of the view's window (16+: a CSProminentTimeView; before: a
// legacy host that is not hidden and not transparent). Used by date lines and the notification
// list; no preference is consulted.
bool LGClockIsActiveForView(const std::shared_ptr<ui::View>& view);

// The nearest superview of `view` (the view excluded) that is a clock host, or nullptr.
std::shared_ptr<ui::View> LGClockNearestHostAbove(const ui::View* view);
