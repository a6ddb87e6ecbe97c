#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>

namespace base {

// Facts about the running process that the phone's frameworks would report: the identifier of the
// main bundle and the version of the operating system. Hosts set the bundle identifier when they
// start; a device profile (or QUORVANE_SYSTEM_VERSION, "major[.minor[.patch]]") sets the version.

struct OperatingSystemVersion {
    int majorVersion = 0;
    int minorVersion = 0;
    int patchVersion = 0;
    auto operator<=>(const OperatingSystemVersion&) const = default;
};

// The main bundle's identifier; the empty string for a process that has none.
std::string mainBundleIdentifier();
void setMainBundleIdentifier(std::string_view identifier);

// The simulated system's version; 17.0.0 unless a profile or the environment says otherwise.
OperatingSystemVersion operatingSystemVersion();
void setOperatingSystemVersion(OperatingSystemVersion version);
bool isOperatingSystemAtLeastVersion(OperatingSystemVersion version);

// "16", "16.4", "16.4.1" → the version; nullopt for anything else.
std::optional<OperatingSystemVersion> parseOperatingSystemVersion(std::string_view text);

}  // namespace base
