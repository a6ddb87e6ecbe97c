#include "platform/prefs/UserDefaults.h"

#include "platform/base/ProcessInfo.h"
#include "platform/prefs/PreferenceService.h"

namespace prefs {

std::shared_ptr<UserDefaults> UserDefaults::standard() {
    return create(base::mainBundleIdentifier(), PreferenceService::shared());
}

std::shared_ptr<UserDefaults> UserDefaults::create(std::string domain, PreferenceService& service) {
    if (!PreferenceService::isValidDomainName(domain)) return nullptr;
    return std::shared_ptr<UserDefaults>(new UserDefaults(std::move(domain), service));
}

base::PlistPtr UserDefaults::objectForKey(std::string_view key) const {
    return service_.copyValue(key, domain_);
}

std::string UserDefaults::stringForKey(std::string_view key) const {
    auto value = objectForKey(key);
    return value ? value->stringValue() : std::string();
}

int64_t UserDefaults::integerForKey(std::string_view key) const {
    auto value = objectForKey(key);
    return value ? value->int64Value().value_or(0) : 0;
}

double UserDefaults::doubleForKey(std::string_view key) const {
    auto value = objectForKey(key);
    return value ? value->doubleValue().value_or(0.0) : 0.0;
}

bool UserDefaults::boolForKey(std::string_view key) const {
    auto value = objectForKey(key);
    return value && value->boolValue();
}

void UserDefaults::setObject(std::string_view key, base::PlistPtr value) {
    if (key.empty()) return;
    service_.setValue(key, std::move(value), domain_);
    service_.synchronize(domain_);
}

void UserDefaults::removeObject(std::string_view key) {
    setObject(key, nullptr);
}

bool UserDefaults::synchronize() {
    return service_.synchronize(domain_);
}

}  // namespace prefs
