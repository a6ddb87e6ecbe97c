#include "platform/lockscreen/LockScreenLayout.h"

#include <algorithm>
#include <cmath>

#include "platform/lockscreen/ClockViews.h"
#include "platform/text/FontWeight.h"

namespace lockscreen {

namespace {

constexpr double kModernDateHeight = 28;
// The modern clock's digits tuck up under the date line's box a little.
constexpr double kModernDateOverlap = 4;
constexpr double kListGap = 20;
// The flashlight and camera buttons and the home indicator keep the bottom free.
constexpr double kQuickActionHeight = 110;

}  // namespace

LockScreenLayout LockScreenLayout::forPage(base::Size page, ui::UserInterfaceIdiom idiom,
                                           bool modern) {
    LockScreenLayout layout;
    layout.modern = modern;
    // The clock follows the screen's width, within what a phone or a tablet shows.
    const double shortSide = std::min(page.width, page.height);
    const double ceiling = idiom == ui::UserInterfaceIdiom::Pad ? 150 : 112;
    if (modern) {
        layout.timeFontSize = std::round(std::clamp(shortSide * 0.2, 48.0, ceiling));
        layout.timeFontWeight = text::FontWeight::Heavy;
        layout.dateFontSize = 20;
    } else {
        layout.timeFontSize = std::round(std::clamp(shortSide * 0.23, 44.0, ceiling));
        layout.timeFontWeight = text::FontWeight::Light;
        layout.dateFontSize = 20;
    }
    return layout;
}

double LockScreenLayout::clockTop(base::Size page) const {
    // Below the status bar (and a phone's camera island), a little lower on tall screens.
    return std::round(std::clamp(page.height * 0.07, 40.0, 72.0));
}

base::Rect LockScreenLayout::dateLineFrame(base::Size page) const {
    return {0, clockTop(page), page.width, kModernDateHeight};
}

base::Rect LockScreenLayout::timeViewFrame(base::Size page, double timeLineHeight) const {
    const base::Rect date = dateLineFrame(page);
    return {0, date.maxY() - kModernDateOverlap, page.width, std::ceil(timeLineHeight)};
}

base::Rect LockScreenLayout::dateViewFrame(base::Size page, double timeLineHeight) const {
    return {0, clockTop(page), page.width,
            LockScreenDateView::heightForTimeLine(std::ceil(timeLineHeight))};
}

base::Rect LockScreenLayout::notificationListFrame(base::Size page, double timeLineHeight) const {
    const base::Rect clock =
        modern ? timeViewFrame(page, timeLineHeight) : dateViewFrame(page, timeLineHeight);
    const double top = clock.maxY() + kListGap;
    const double bottom = std::max(top, page.height - kQuickActionHeight);
    return {0, top, page.width, bottom - top};
}

}  // namespace lockscreen
