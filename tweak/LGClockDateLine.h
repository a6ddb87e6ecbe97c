#pragma once

#include <memory>
#include <string>

#include "platform/base/Geometry.h"
#include "platform/dispatch/WallClock.h"
#include "platform/ui/View.h"

// The date line above the clock: moved to make room for the taller glass clock, and rewritten in
// one compact localised form ("Mon Dec 7"). Main thread only.

// Centres a legacy date line on its legacy clock host with its bottom 10 points below the host's
// top, raised by "Quorvane.Clock.DateVerticalOffset". Nothing on 16 and later, with the tweak or
// the clock switched off, outside a legacy host, or while no clock is active.
void LGClockPlaceLegacyDateLine(const std::shared_ptr<ui::View>& dateLine);
// The same for the first SBFLockScreenDateSubtitleDateView inside a legacy host.
void LGClockPlaceLegacyDateLineInHost(const std::shared_ptr<ui::View>& host);

// A modern date line's frame: raised by the date-line offset while a clock is active for it.
base::Rect LGClockModernDateLineFrame(const std::shared_ptr<ui::View>& dateLine, base::Rect frame);

// The date in the locale's "EEE MMM d" form, without commas, single-spaced and trimmed.
std::string LGClockCompactDateText(dispatch::Date date);

// Rewrites one date label (a UILabel inside either date line) to the compact text of now; the
// label is marked while the tweak sets its text, and an unchanged text is not set again.
void LGClockRewriteDateLabel(const std::shared_ptr<ui::View>& label);
// Every date label in the root's subtree.
void LGClockRewriteDateLabels(const std::shared_ptr<ui::View>& root);
// Whether the tweak itself is setting the label's text.
bool LGClockIsRewritingDateLabel(const ui::View* label);
