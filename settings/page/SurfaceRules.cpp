// The page's rules (rows hidden by a menu's value, rows dimmed by a switch) and the animated
// return of the controls to their defaults.
#include "platform/ui/AnimationOptions.h"
#include "platform/ui/Slider.h"
#include "platform/ui/StackView.h"
#include "platform/ui/Switch.h"
#include "settings/controls/LGSliderResetAnimator.h"
#include "settings/page/QVQuorvaneSurfaceController.h"
#include "settings/page/detail/SurfaceAttachments.h"
#include "support/LGSharedSupport.h"

using namespace surface_detail;

namespace {

bool isVisibleByRule(const LGSettingsItem& item) {
    const std::string& key = item.string("visible_key");
    const base::PlistArray& values = item.array("visible_values");
    if (key.empty() || values.empty()) return true;
    const base::PlistPtr fallback = item.object("visible_default");
    std::string value = textOfValue(LGPrefsDirectValue(key, fallback));
    if (value.empty() && fallback && fallback->isString()) value = fallback->stringValue();
    if (value.empty()) return false;
    for (const base::PlistPtr& candidate : values) {
        if (candidate->isString() && candidate->stringValue() == value) return true;
    }
    return false;
}

const ui::AnimationOptions kRuleAnimationOptions =
    ui::AnimationOptions::AllowUserInteraction | ui::AnimationOptions::BeginFromCurrentState;

}  // namespace

std::vector<std::shared_ptr<ui::View>> QVQuorvaneSurfaceController::lg_allSubviewsOfView(
    const ui::View& view) {
    std::vector<std::shared_ptr<ui::View>> all;
    for (const std::shared_ptr<ui::View>& child : view.subviews()) {
        all.push_back(child);
        std::vector<std::shared_ptr<ui::View>> below = lg_allSubviewsOfView(*child);
        all.insert(all.end(), below.begin(), below.end());
    }
    return all;
}

void QVQuorvaneSurfaceController::updateVisibleValueControlledItemsAnimated(bool animated) {
    if (!contentStack_) return;
    for (const std::shared_ptr<ui::View>& block : contentStack_->arrangedSubviews()) {
        // Only panels hold a stack of rows that carry items; headers, gaps and the jump bar
        // are passed over.
        std::shared_ptr<ui::StackView> rows;
        for (const std::shared_ptr<ui::View>& child : block->subviews()) {
            if ((rows = std::dynamic_pointer_cast<ui::StackView>(child))) break;
        }
        if (!rows) continue;
        for (const std::shared_ptr<ui::View>& row : rows->arrangedSubviews()) {
            const std::shared_ptr<LGSettingsItem> item = attachedItem(*row);
            if (!item) continue;
            const bool visible = isVisibleByRule(*item);
            // A shown row keeps the dimming of its enabled rule: restoring full alpha here would
            // make a locked row look usable after every rebuild.
            const bool dimmed = !item->string("enabled_key").empty() && !isEnabledByRule(*item);
            const double alpha = !visible ? 0.0 : dimmed ? kDisabledAlpha : 1.0;
            auto apply = [row, visible, alpha] {
                row->setHidden(!visible);
                row->setAlpha(alpha);
            };
            if (animated) {
                ui::View::animate(kVisibilityAnimationDuration, 0, kRuleAnimationOptions, apply);
            } else {
                apply();
            }
        }
    }
}

void QVQuorvaneSurfaceController::updatePanelsControlledByEnabledKey(const std::string& key,
                                                                     bool enabled, bool animated) {
    if (key.empty() || !contentStack_) return;
    for (const std::shared_ptr<ui::View>& block : contentStack_->arrangedSubviews()) {
        for (const std::shared_ptr<ui::View>& view : lg_allSubviewsOfView(*block)) {
            const std::shared_ptr<LGSettingsItem> item = attachedItem(*view);
            if (!item || item->string("enabled_key") != key) continue;
            // Touches follow the switch at once; only the dimming is animated.
            view->setUserInteractionEnabled(enabled);
            const double alpha = enabled ? 1.0 : kDisabledAlpha;
            if (animated) {
                ui::View::animate(kEnabledAnimationDuration, 0, kRuleAnimationOptions,
                                  [view, alpha] { view->setAlpha(alpha); });
            } else {
                view->setAlpha(alpha);
            }
        }
    }
}

void QVQuorvaneSurfaceController::animateVisibleControlsToDefaults() {
    if (!contentStack_) return;
    for (const std::shared_ptr<ui::View>& block : contentStack_->arrangedSubviews()) {
        for (const std::shared_ptr<ui::View>& view : lg_allSubviewsOfView(*block)) {
            if (auto toggle = std::dynamic_pointer_cast<ui::Switch>(view)) {
                const std::shared_ptr<SwitchAttachment> a = attachedSwitch(*toggle);
                // The master switch is never reset.
                if (!a || !a->defaultValue || a->key == kLGPrefsEnabledKey) continue;
                const bool on = a->defaultValue->boolValue();
                toggle->setOn(on, true);
                if (a->controlsFollowingPanel) updatePanelsControlledByEnabledKey(a->key, on, true);
            } else if (auto slider = std::dynamic_pointer_cast<ui::Slider>(view)) {
                const std::shared_ptr<SliderAttachment> a = attachedSlider(*slider);
                if (!a || !a->defaultValue) continue;
                LGSliderResetAnimator::start(slider, a->valueLabel.lock(), slider->value(),
                                             a->defaultValue->doubleValue().value_or(0),
                                             a->decimals);
            }
        }
    }
}
