#pragma once

#include <memory>

#include "platform/base/Geometry.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"

// The notification list on systems before 16 starts below the (taller) glass clock: its frames
// are pushed down while a clock is active. From 16 on the list is left alone.
//
// Per list the tweak keeps the first frame it saw (never updated), a mark while it sets the
// list's frame itself, and a mark while a re-apply after a window change is queued. Main thread
// only.

// The frame the list should get instead of `proposed`: unchanged on 16 and later, without a
// window, with the tweak or the clock switched off, for a nested list or one without a superview;
// otherwise starting 28 points below the legacy clock (or back at the first-seen top when a
// nested list is much taller), as long as more than 120 points of height remain.
base::Rect LGNotificationListAdjustedFrame(const std::shared_ptr<ui::View>& list,
                                           const base::Rect& proposed);

// Recomputes the list's frame and sets it when it changed, marking the list meanwhile so that the
// frame hook passes the tweak's own frame through.
void LGNotificationListReapplyFrame(const std::shared_ptr<ui::View>& list);

// The first NCNotificationListView in the controller's view tree (pre-order); nullptr on 16 and
// later or when the class does not exist.
std::shared_ptr<ui::View> LGNotificationListFindInController(ui::ViewController* controller);

// After the list joined a window: queues one re-apply on the main queue (however many window
// changes come before it runs), which runs only if the list is still in a window.
void LGNotificationListScheduleReapply(const std::shared_ptr<ui::View>& list);

// Whether the tweak itself is setting the list's frame.
bool LGNotificationListIsApplyingFrame(const ui::View* list);
