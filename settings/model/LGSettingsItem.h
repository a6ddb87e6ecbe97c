#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/PropertyList.h"

// One menu entry of a "menu" item: what the menu stores under the item's key, and what it shows.
struct LGSettingsChoice {
    std::string value;
    std::string title;
    bool operator==(const LGSettingsChoice&) const = default;
};

// One entry of the settings page's definition: an immutable record of property-list values keyed
// by field name ("type", "key", "title", "default", "min", …). An absent field counts as not set.
// Items are values: copies share the record, and the rule functions return changed copies.
class LGSettingsItem {
  public:
    // An item with no fields.
    LGSettingsItem();
    explicit LGSettingsItem(base::PlistDictionary fields);

    const base::PlistDictionary& fields() const;
    // The field's value; nullptr when absent.
    base::PlistPtr object(std::string_view field) const;
    // The field as text; "" when absent or not a string.
    const std::string& string(std::string_view field) const;
    // The field's truth value; false when absent or not a number.
    bool boolean(std::string_view field) const;
    // The field as a number; nullopt when absent or not a number.
    std::optional<double> number(std::string_view field) const;
    // The field as a list; empty when absent or not a list.
    const base::PlistArray& array(std::string_view field) const;
    // The "choices" of a menu item in display order, each a {"value", "title"} record; entries
    // that are not records are left out, missing strings read as "".
    std::vector<LGSettingsChoice> choices() const;

    // A copy with `field` set to `value`, or without it when `value` is null.
    LGSettingsItem with(std::string_view field, base::PlistPtr value) const;

    bool operator==(const LGSettingsItem& other) const;

  private:
    base::PlistPtr record_;  // always a dictionary
};
