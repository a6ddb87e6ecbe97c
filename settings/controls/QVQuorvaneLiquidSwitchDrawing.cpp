// What the switch looks like: its colours, the picture its glass thumb refracts, and the frames
// of its parts for the drawn state.
#include <algorithm>
#include <cmath>

#include "platform/graphics/ImageContext.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Screen.h"
#include "platform/ui/SystemColors.h"
#include "platform/ui/Window.h"
#include "settings/controls/LGControlAccent.h"
#include "settings/controls/LGSharedGlassView.h"
#include "settings/controls/LGSwitchInsetShadowView.h"
#include "settings/controls/QVQuorvaneLiquidSwitch.h"

namespace {

// The picture reaches this far beyond the track on every side.
constexpr double kBackdropMargin = 20;

double smoothstep(double e) {
    e = std::clamp(e, 0.0, 1.0);
    return e * e * (3 - 2 * e);
}

base::Color trackBackground(bool dark) {
    return dark ? base::Color::white(1.0, 0.18) : base::Color::white(0.2, 0.1);
}

}  // namespace

base::Color QVQuorvaneLiquidSwitch::accentColor() const {
    const bool dark = traitCollection().isDark();
    const auto win = window();
    const auto superview = this->superview();
    return LGFirstUsableControlAccent(
        {onTintColor(), win ? std::optional<base::Color>(win->tintColor()) : std::nullopt,
         superview ? std::optional<base::Color>(superview->tintColor()) : std::nullopt,
         tintColor()},
        ui::colors::systemGreen(), dark);
}

void QVQuorvaneLiquidSwitch::updateMaterialColors() {
    if (!trackView_) return;
    const bool dark = traitCollection().isDark();
    trackView_->setBackgroundColor(trackBackground(dark));
    fillView_->setBackgroundColor(accentColor().withAlpha(dark ? 0.78 : 0.92));

    contractedThumbView_->setBackgroundColor(base::Color::white(1));
    ui::Layer& resting = *contractedThumbView_->layer();
    resting.setShadowColor(base::Color::black());
    resting.setShadowOpacity(0.12f);
    resting.setShadowRadius(5);
    resting.setShadowOffset({0, 0});

    if (glassThumbView_) {
        ui::Layer& glass = *glassThumbView_->layer();
        glass.setShadowColor(base::Color::black());
        glass.setShadowOpacity(dark ? 0.12f : 0.08f);
        glass.setShadowRadius(dark ? 7 : 4);
        glass.setShadowOffset(dark ? base::Size{0, 2} : base::Size{0, 1});
        glassThumbView_->setSpecularOpacity(dark ? 0.02 : 0);
    }
    if (glassInsetShadowView_) glassInsetShadowView_->setAlpha(dark ? 0.68 : 1.0);
}

void QVQuorvaneLiquidSwitch::refreshGlassBackdrop() {
    const auto win = window();
    if (!win || !glassThumbView_) return;
    const base::Rect track = trackFrame();
    const base::Rect area = track.insetBy(-kBackdropMargin, -kBackdropMargin);
    if (!(area.width() > 0 && area.height() > 0)) return;

    // Pass 1: colours.
    const bool dark = traitCollection().isDark();
    const auto superview = this->superview();
    base::Color page = ui::colors::systemBackground();
    if (superview && !superview->backgroundColor().isClear()) {
        page = superview->backgroundColor();
    } else if (!win->backgroundColor().isClear()) {
        page = win->backgroundColor();
    }
    const base::Color neutral = trackBackground(dark);
    const base::Color fill =
        fillView_->backgroundColor().isClear() ? accentColor() : fillView_->backgroundColor();
    const base::Color highlight = base::Color::white(1, dark ? 0.045 : 0.12);
    const base::Color glow = base::Color::white(1, dark ? 0.14 : 0);

    // Pass 2: a slightly smaller track, centred, under a highlight band.
    auto image = graphics::ImageContext::begin(area.size, false, ui::Screen::main()->scale());
    if (!image) return;
    graphics::Context& cg = image->context();
    cg.fillRect({0, 0, area.width(), area.height()}, page.resolved(dark));
    const base::Size capsule{0.75 * track.width(), 0.75 * track.height()};
    const base::Rect s{(area.width() - capsule.width) / 2, (area.height() - capsule.height) / 2,
                       capsule.width, capsule.height};
    cg.fillRoundedRect(s, s.height() / 2, neutral);
    cg.fillRoundedRect(s, s.height() / 2,
                       fill.resolved(dark).withAlpha(fill.resolved(dark).alpha() *
                                                     std::clamp(renderedFillAlpha_, 0.0, 1.0)));
    cg.fillRect({0, 0, area.width(), std::min(0.35 * area.height(), 12.0)}, highlight);
    if (glow.alpha() > 0.001) {
        cg.fillRoundedRect(s.insetBy(-30, -14), 3 * s.height(), glow);
    }

    // Pass 3: hand it to the glass, placed in window coordinates as the glass measures itself.
    glassThumbView_->setSourceOrigin(convertRect(area, nullptr).origin);
    glassThumbView_->setSourceImage(image->image());
    glassThumbView_->scheduleDraw();
}

void QVQuorvaneLiquidSwitch::updateVisualsAnimated(bool) {
    if (!trackView_) return;
    // Pass 1: track and fill.
    const base::Rect track = trackFrame();
    trackView_->setFrame(track);
    trackView_->layer()->setCornerRadius(track.height() / 2);
    fillView_->setFrame({0, 0, track.width(), track.height()});
    fillView_->layer()->setCornerRadius(track.height() / 2);
    fillView_->setAlpha(std::clamp(renderedFillAlpha_, 0.0, 1.0));

    // Pass 2: both thumbs at the drawn centre, placed by bounds and centre so their scale
    // transforms stay valid.
    const base::Point center{resolvedThumbCenterX(), track.midY()};
    contractedThumbView_->setBounds({0, 0, kRestingThumbSize.width, kRestingThumbSize.height});
    contractedThumbView_->setCenter(center);
    contractedThumbView_->layer()->setCornerRadius(kRestingThumbSize.height / 2);

    // Pass 3: cross-fade between resting and glass.
    const double s = smoothstep(renderedExpansion_);
    contractedThumbView_->setAlpha(1 - s);
    contractedThumbView_->setTransform(base::AffineTransform::scale(1 + 0.06 * s, 1 + 0.06 * s));
    contractedThumbView_->setHidden(s > 0.99);
    if (!glassThumbView_) return;
    LGSharedGlassView& glass = *glassThumbView_;
    glass.setBounds({0, 0, renderedThumbSize_.width, renderedThumbSize_.height});
    glass.setCenter(center);
    glass.setCornerRadius(renderedThumbSize_.height / 2);
    glass.setAlpha(s);
    glass.setTransform(base::AffineTransform::scale(0.92 + 0.08 * s, 0.92 + 0.08 * s));
    glass.setHidden(s < 0.01);
}
