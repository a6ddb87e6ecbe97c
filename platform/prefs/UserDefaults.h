#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/base/PropertyList.h"

namespace prefs {

class PreferenceService;

// An application's own preferences: one domain of the shared preference service, named after the
// application's bundle identifier. Every change is written through at once, so a value set here
// survives the process even if it is killed right afterwards.
class UserDefaults {
  public:
    // The defaults of the main bundle's domain in the current device root. nullptr: the process
    // has no bundle identifier (or one that cannot name a file).
    static std::shared_ptr<UserDefaults> standard();

    // The defaults of `domain` in `service`. nullptr: `domain` is not a valid domain name.
    static std::shared_ptr<UserDefaults> create(std::string domain, PreferenceService& service);

    const std::string& domain() const { return domain_; }

    // nullptr when the key has no value.
    base::PlistPtr objectForKey(std::string_view key) const;
    // Typed reads; a missing value or one of another kind gives the empty string, 0, 0.0, false.
    std::string stringForKey(std::string_view key) const;
    int64_t integerForKey(std::string_view key) const;
    double doubleForKey(std::string_view key) const;
    bool boolForKey(std::string_view key) const;

    // A null value removes the key. Both write the domain before returning.
    void setObject(std::string_view key, base::PlistPtr value);
    void removeObject(std::string_view key);

    // Picks up changes other processes made to the domain.
    bool synchronize();

  private:
    UserDefaults(std::string domain, PreferenceService& service)
        : domain_(std::move(domain)), service_(service) {}

    std::string domain_;
    PreferenceService& service_;
};

}  // namespace prefs
