#include "settings/model/LGSettingsItems.h"
#include "tweak/LGClockPreferences.h"

using base::PlistValue;

namespace {

base::PlistPtr plistString(std::string value) {
    return PlistValue::string(std::move(value));
}

// The fields every item carries.
base::PlistDictionary titled(const char* type, std::string title, std::string subtitle) {
    return {{"type", plistString(type)},
            {"title", plistString(std::move(title))},
            {"subtitle", plistString(std::move(subtitle))}};
}

}  // namespace

LGSettingsItem LGSwitchItem(std::string key, std::string title, std::string subtitle,
                            bool defaultValue) {
    base::PlistDictionary fields = titled("switch", std::move(title), std::move(subtitle));
    fields.emplace("key", plistString(std::move(key)));
    fields.emplace("default", PlistValue::boolean(defaultValue));
    return LGSettingsItem(std::move(fields));
}

LGSettingsItem LGSliderItem(std::string key, std::string title, std::string subtitle,
                            int64_t decimals, double defaultValue, double minimum, double maximum) {
    base::PlistDictionary fields = titled("slider", std::move(title), std::move(subtitle));
    fields.emplace("key", plistString(std::move(key)));
    fields.emplace("default", PlistValue::real(defaultValue));
    fields.emplace("min", PlistValue::real(minimum));
    fields.emplace("max", PlistValue::real(maximum));
    fields.emplace("decimals", PlistValue::integer(decimals));
    return LGSettingsItem(std::move(fields));
}

LGSettingsItem LGMenuItem(std::string key, std::string title, std::string subtitle,
                          std::string defaultValue, std::vector<LGSettingsChoice> choices) {
    base::PlistArray records;
    records.reserve(choices.size());
    for (LGSettingsChoice& choice : choices) {
        records.push_back(
            PlistValue::dictionary({{"value", plistString(std::move(choice.value))},
                                    {"title", plistString(std::move(choice.title))}}));
    }
    base::PlistDictionary fields = titled("menu", std::move(title), std::move(subtitle));
    fields.emplace("key", plistString(std::move(key)));
    fields.emplace("default", plistString(std::move(defaultValue)));
    fields.emplace("choices", PlistValue::array(std::move(records)));
    return LGSettingsItem(std::move(fields));
}

LGSettingsItem LGNavItem(std::string title, std::string subtitle, std::string action) {
    base::PlistDictionary fields = titled("nav", std::move(title), std::move(subtitle));
    fields.emplace("action", plistString(std::move(action)));
    return LGSettingsItem(std::move(fields));
}

LGSettingsItem LGSectionItem(std::string title, std::string subtitle) {
    return LGSettingsItem(titled("section", std::move(title), std::move(subtitle)));
}

LGSettingsItem LGSmallSectionItem(std::string title) {
    base::PlistDictionary fields = titled("section", std::move(title), {});
    fields.emplace("small_title", PlistValue::boolean(true));
    return LGSettingsItem(std::move(fields));
}

LGSettingsItem LGClockControlledItem(const LGSettingsItem& item) {
    return item.with("enabled_key", plistString(kLGClockEnabledKey))
        .with("enabled_default", PlistValue::boolean(kLGClockEnabledDefault));
}

LGSettingsItem LGLegacyStyleVisibleItem(const LGSettingsItem& item,
                                        std::vector<std::string> values) {
    base::PlistArray shown;
    shown.reserve(values.size());
    for (std::string& value : values) shown.push_back(plistString(std::move(value)));
    return item.with("visible_key", plistString(kLGClockLegacyFontStyleKey))
        .with("visible_default", plistString(kLGClockLegacyFontStyleDefault))
        .with("visible_values", PlistValue::array(std::move(shown)));
}
