#include "settings/model/LGSettingsItem.h"

#include <cassert>

namespace {

const std::string& emptyString() {
    static const std::string* const empty = new std::string();
    return *empty;
}

const base::PlistArray& emptyArray() {
    static const base::PlistArray* const empty = new base::PlistArray();
    return *empty;
}

}  // namespace

LGSettingsItem::LGSettingsItem() : record_(base::PlistValue::emptyDictionary()) {}

LGSettingsItem::LGSettingsItem(base::PlistDictionary fields)
    : record_(base::PlistValue::dictionary(std::move(fields))) {
    assert(record_ && record_->isDictionary());
}

const base::PlistDictionary& LGSettingsItem::fields() const {
    return record_->dictionaryValue();
}

base::PlistPtr LGSettingsItem::object(std::string_view field) const {
    return record_->objectForKey(field);
}

const std::string& LGSettingsItem::string(std::string_view field) const {
    const base::PlistPtr value = object(field);
    return value && value->isString() ? value->stringValue() : emptyString();
}

bool LGSettingsItem::boolean(std::string_view field) const {
    const base::PlistPtr value = object(field);
    return value && value->isNumber() && value->boolValue();
}

std::optional<double> LGSettingsItem::number(std::string_view field) const {
    const base::PlistPtr value = object(field);
    return value && value->isNumber() ? value->doubleValue() : std::nullopt;
}

const base::PlistArray& LGSettingsItem::array(std::string_view field) const {
    const base::PlistPtr value = object(field);
    return value && value->isArray() ? value->arrayValue() : emptyArray();
}

std::vector<LGSettingsChoice> LGSettingsItem::choices() const {
    const auto text = [](const base::PlistPtr& record, std::string_view key) {
        const base::PlistPtr value = record->objectForKey(key);
        return value && value->isString() ? value->stringValue() : std::string();
    };
    std::vector<LGSettingsChoice> out;
    for (const base::PlistPtr& entry : array("choices")) {
        if (!entry->isDictionary()) continue;
        out.push_back({text(entry, "value"), text(entry, "title")});
    }
    return out;
}

LGSettingsItem LGSettingsItem::with(std::string_view field, base::PlistPtr value) const {
    base::PlistDictionary fields = this->fields();
    if (value) {
        fields.insert_or_assign(std::string(field), std::move(value));
    } else if (auto it = fields.find(field); it != fields.end()) {
        fields.erase(it);
    }
    return LGSettingsItem(std::move(fields));
}

bool LGSettingsItem::operator==(const LGSettingsItem& other) const {
    return record_ == other.record_ || *record_ == *other.record_;
}
