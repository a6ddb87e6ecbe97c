#include "settings/page/detail/SurfaceAttachments.h"

#include <charconv>

#include "support/LGSharedSupport.h"

namespace surface_detail {

namespace {

// Keys by address: each names one kind of attachment.
char kItemKey = 0;
char kSwitchKey = 0;
char kSliderKey = 0;
char kValueLabelKey = 0;
char kChipKey = 0;

template <class T>
void attach(runtime::Object& owner, char& key, T value) {
    runtime::setAttachedValue(&owner, &key, std::make_shared<T>(std::move(value)));
}

}  // namespace

void attachItem(runtime::Object& view, const LGSettingsItem& item) {
    attach(view, kItemKey, item);
}
std::shared_ptr<LGSettingsItem> attachedItem(const runtime::Object& view) {
    return runtime::attachedValue<LGSettingsItem>(&view, &kItemKey);
}

void attachSwitch(runtime::Object& control, SwitchAttachment attachment) {
    attach(control, kSwitchKey, std::move(attachment));
}
std::shared_ptr<SwitchAttachment> attachedSwitch(const runtime::Object& control) {
    return runtime::attachedValue<SwitchAttachment>(&control, &kSwitchKey);
}

void attachSlider(runtime::Object& control, SliderAttachment attachment) {
    attach(control, kSliderKey, std::move(attachment));
}
std::shared_ptr<SliderAttachment> attachedSlider(const runtime::Object& control) {
    return runtime::attachedValue<SliderAttachment>(&control, &kSliderKey);
}

void attachValueLabel(runtime::Object& label, ValueLabelAttachment attachment) {
    attach(label, kValueLabelKey, std::move(attachment));
}
std::shared_ptr<ValueLabelAttachment> attachedValueLabel(const runtime::Object& label) {
    return runtime::attachedValue<ValueLabelAttachment>(&label, &kValueLabelKey);
}

void attachChipTitle(runtime::Object& chip, std::string title) {
    attach(chip, kChipKey, std::move(title));
}
std::shared_ptr<std::string> attachedChipTitle(const runtime::Object& chip) {
    return runtime::attachedValue<std::string>(&chip, &kChipKey);
}

bool isEnabledByRule(const LGSettingsItem& item) {
    const base::PlistPtr fallback = item.object("enabled_default");
    const bool enabledDefault = fallback && fallback->isNumber() ? fallback->boolValue() : true;
    const base::PlistPtr value =
        LGPrefsDirectNumber(item.string("enabled_key"), base::PlistValue::boolean(enabledDefault));
    return value && value->boolValue();
}

std::string textOfValue(const base::PlistPtr& value) {
    if (!value) return {};
    if (value->isString()) return value->stringValue();
    // Numbers read as the phone prints them: booleans as 1 or 0, reals without trailing zeros.
    if (value->type() == base::PlistType::Boolean) return value->boolValue() ? "1" : "0";
    if (value->type() == base::PlistType::Integer) return std::to_string(*value->int64Value());
    if (value->type() == base::PlistType::Real) {
        char buffer[64];
        const auto r = std::to_chars(buffer, buffer + sizeof buffer, *value->doubleValue());
        return std::string(buffer, r.ptr);
    }
    return value->description();
}

}  // namespace surface_detail
