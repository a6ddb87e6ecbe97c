#pragma once

// What the settings page attaches to the views it builds, so that the rules, resets and the
// value entry can find a row's item, a control's default and a label's slider later. Every value
// is owned by the view it is attached to; links back to other views are weak.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/base/PropertyList.h"
#include "platform/runtime/Hooks.h"
#include "settings/model/LGSettingsItem.h"

namespace ui {
class Label;
class Slider;
class View;
}  // namespace ui

namespace surface_detail {

inline constexpr double kDisabledAlpha = 0.42;
inline constexpr double kVisibilityAnimationDuration = 0.16;
inline constexpr double kEnabledAnimationDuration = 0.18;
// How long after a reset's start the store is cleared: the controls have arrived by then.
inline constexpr double kResetStoreDelay = 0.67;

struct SwitchAttachment {
    base::PlistPtr defaultValue;
    std::string key;
    bool controlsFollowingPanel = false;
};

struct SliderAttachment {
    base::PlistPtr defaultValue;
    std::weak_ptr<ui::Label> valueLabel;
    int64_t decimals = 0;
};

struct ValueLabelAttachment {
    std::weak_ptr<ui::Slider> slider;
    std::string key;
    base::PlistPtr minimum;
    base::PlistPtr maximum;
    base::PlistPtr decimals;
    std::string title;
};

void attachItem(runtime::Object& view, const LGSettingsItem& item);
std::shared_ptr<LGSettingsItem> attachedItem(const runtime::Object& view);

void attachSwitch(runtime::Object& control, SwitchAttachment attachment);
std::shared_ptr<SwitchAttachment> attachedSwitch(const runtime::Object& control);

void attachSlider(runtime::Object& control, SliderAttachment attachment);
std::shared_ptr<SliderAttachment> attachedSlider(const runtime::Object& control);

void attachValueLabel(runtime::Object& label, ValueLabelAttachment attachment);
std::shared_ptr<ValueLabelAttachment> attachedValueLabel(const runtime::Object& label);

void attachChipTitle(runtime::Object& chip, std::string title);
std::shared_ptr<std::string> attachedChipTitle(const runtime::Object& chip);

// The enabled rule of an item with an "enabled_key": that boolean key's stored value, or
// "enabled_default" (true when absent) while it has none.
bool isEnabledByRule(const LGSettingsItem& item);

// A stored value read as text: a string as it is, a number or anything else by its description.
std::string textOfValue(const base::PlistPtr& value);

}  // namespace surface_detail
