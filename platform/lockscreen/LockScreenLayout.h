#pragma once

#include "platform/base/Geometry.h"
#include "platform/ui/TraitCollection.h"

namespace lockscreen {

// Where the system puts the lock screen's clock, date line and notifications on a page of a
// given size. Systems 16 and later show the date line above a large heavy clock and the
// notifications below the clock; earlier systems show a lighter clock with the date line under
// it, inside one date view, and the notifications below that.
struct LockScreenLayout {
    bool modern = true;
    double timeFontSize = 0;
    double timeFontWeight = 0;
    double dateFontSize = 0;

    // The clock's fonts for a page of this size.
    static LockScreenLayout forPage(base::Size page, ui::UserInterfaceIdiom idiom, bool modern);

    // The frames, in the page's coordinates. timeLineHeight is the time font's line height.
    base::Rect dateLineFrame(base::Size page) const;                         // modern
    base::Rect timeViewFrame(base::Size page, double timeLineHeight) const;  // modern
    base::Rect dateViewFrame(base::Size page, double timeLineHeight) const;  // legacy
    // Below the clock (modern) or the date view (legacy), down to the quick-action row.
    base::Rect notificationListFrame(base::Size page, double timeLineHeight) const;

    double clockTop(base::Size page) const;
};

}  // namespace lockscreen
