// The picture the slider's glass thumb refracts: the track as the slider draws it, painted into
// a small image rather than captured from the screen, so the glass never shows itself.
#include <algorithm>
#include <cmath>

#include "platform/dispatch/Time.h"
#include "platform/graphics/ImageContext.h"
#include "platform/ui/Screen.h"
#include "platform/ui/SystemColors.h"
#include "platform/ui/Window.h"
#include "settings/controls/LGControlAccent.h"
#include "settings/controls/LGSharedGlassView.h"
#include "settings/controls/QVQuorvaneLiquidSlider.h"

namespace {

// The picture reaches this far beyond the slider, so a rubber-banded thumb still has track
// behind it.
constexpr double kPictureMargin = 20;
// At most one picture per 60 Hz frame while the thumb moves. The slack absorbs the rounding of
// refresh times, which are exactly one frame apart.
constexpr double kPictureInterval = 1.0 / 60 - 1e-6;

// A colour that means "none" when it is clear.
std::optional<base::Color> unlessClear(const base::Color& color) {
    if (color.isClear()) return std::nullopt;
    return color;
}

// Where the fill ends for a thumb at x: the thumb's centre, eased into the track's ends so the
// fill never pokes out of the rounded end caps.
double fillEndForThumbX(const base::Rect& track, double fraction, double x) {
    if (fraction <= 0.0001) return track.minX();
    if (fraction >= 0.9999) return track.maxX();
    const double edge = std::min(0.2 * track.width(), 34.0);
    if (edge <= 0) return x;
    if (x < track.minX() + edge) {
        const double t = std::clamp((x - track.minX()) / edge, 0.0, 1.0);
        return track.minX() + (x - track.minX()) * t * t;
    }
    if (x > track.maxX() - edge) {
        const double u = std::clamp((track.maxX() - x) / edge, 0.0, 1.0);
        return track.maxX() - (track.maxX() - x) * u * u;
    }
    return x;
}

}  // namespace

void QVQuorvaneLiquidSlider::refreshGlassSnapshotIfNeeded(bool force) {
    const std::shared_ptr<ui::Window> win = window();
    if (!win || !glassThumbView_) return;
    if (!force && glassThumbView_->sourceImage()) return;
    const double now = dispatch::now();
    if ((trackingActive_ || thumbDisplayLink_) &&
        now - lastSnapshotRefreshTimestamp_ < kPictureInterval) {
        return;
    }

    // Pass 1: the area, in the host's coordinates, clipped to the host.
    const std::shared_ptr<ui::View> superview = this->superview();
    ui::View& host = superview ? *superview : *this;
    base::Rect area = convertRect(bounds(), &host).insetBy(-kPictureMargin, -kPictureMargin);
    area = area.intersection(host.bounds());
    if (area.isNull() || !(area.width() > 0 && area.height() > 0)) return;
    // The glass places its source in its window's coordinates, as it measures itself.
    const base::Point origin = host.convertRect(area, nullptr).origin;

    // Pass 2: track, fill and thumb in the area's coordinates.
    const base::Rect trackInHost = convertRect(trackRectForBounds(bounds()), &host);
    const base::Rect track = trackInHost.offsetBy(-area.minX(), -area.minY());
    const double minimum = minimumValue();
    const double maximum = maximumValue();
    const double fraction =
        maximum > minimum ? std::clamp((double(value()) - minimum) / (maximum - minimum), 0.0, 1.0)
                          : 0.0;
    const double thumbInSelf =
        hasRenderedThumbState_ ? renderedThumbCenterX_ : resolvedThumbCenterX();
    const double thumbX = convertPoint({thumbInSelf, 0}, &host).x - area.minX();
    const double fillEnd =
        std::clamp(fillEndForThumbX(track, fraction, thumbX), track.minX(), track.maxX());

    // Pass 3: colours, resolved for the slider's appearance.
    const bool dark = traitCollection().isDark();
    base::Color background = ui::colors::systemBackground();
    if (auto c = unlessClear(host.backgroundColor())) {
        background = *c;
    } else if (superview && !superview->backgroundColor().isClear()) {
        background = superview->backgroundColor();
    }
    const base::Color trackColor = maximumTrackTintColor().value_or(
        base::Color::dynamic(ui::colors::quaternaryLabel(), base::Color::white(1, 0.18)));
    const base::Color fill = LGFirstUsableControlAccent(
        {minimumTrackTintColor(), win->tintColor(),
         superview ? std::optional<base::Color>(superview->tintColor()) : std::nullopt,
         tintColor()},
        ui::colors::systemBlue(), dark);
    const base::Color sheen = base::Color::white(1, dark ? 0.045 : 0.12);
    const base::Color glow = base::Color::white(1, dark ? 0.105 : 0);

    // Pass 4: the picture.
    auto image = graphics::ImageContext::begin(area.size, false, ui::Screen::main()->scale());
    if (!image) return;
    graphics::Context& cg = image->context();
    const base::Rect whole{0, 0, area.width(), area.height()};
    cg.fillRect(whole, background.resolved(dark));
    cg.fillCapsule(track, trackColor.resolved(dark));
    if (fillEnd > track.minX()) {
        cg.fillCapsule({track.minX(), track.minY(), fillEnd - track.minX(), track.height()}, fill);
    }
    cg.fillRect({0, 0, area.width(), std::min(0.35 * area.height(), 12.0)}, sheen);
    if (glow.alpha() > 0.001) {
        cg.fillRoundedRect(track.insetBy(-34, -16), 3.4 * track.height(), glow);
    }

    lastSnapshotRefreshTimestamp_ = now;
    glassThumbView_->setSourceOrigin(origin);
    glassThumbView_->setSourceImage(image->image());
    glassThumbView_->scheduleDraw();
}
