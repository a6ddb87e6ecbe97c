#include "platform/text/Locale.h"

#include <unicode/timezone.h>
#include <unicode/uloc.h>

#include <cstdlib>

namespace text {

namespace {

// "de_DE.UTF-8@euro" → "de_DE"; "C"/"POSIX"/nothing → "en_US_POSIX". ICU keywords
// ("@calendar=buddhist") stay; a POSIX modifier ("@euro") names no ICU locale and goes.
std::string icuIdentifier(std::string posix) {
    const std::size_t at = posix.find('@');
    if (at != std::string::npos && posix.find('=', at) == std::string::npos) posix.erase(at);
    const std::size_t dot = posix.find('.');
    if (dot != std::string::npos) {
        const std::size_t keywords = posix.find('@', dot);
        posix.erase(dot, keywords == std::string::npos ? std::string::npos : keywords - dot);
    }
    if (posix.empty() || posix == "C" || posix == "POSIX") return "en_US_POSIX";
    char canonical[ULOC_FULLNAME_CAPACITY] = {};
    UErrorCode status = U_ZERO_ERROR;
    uloc_canonicalize(posix.c_str(), canonical, sizeof canonical, &status);
    if (U_FAILURE(status) || status == U_STRING_NOT_TERMINATED_WARNING) return posix;
    return canonical;
}

}  // namespace

std::string currentLocaleIdentifier() {
    for (const char* name : {"LC_ALL", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) return icuIdentifier(value);
    }
    return icuIdentifier("");
}

Locale::Locale(std::string identifier) : identifier_(icuIdentifier(std::move(identifier))) {}

Locale Locale::current() {
    return Locale(currentLocaleIdentifier());
}

Locale Locale::autoupdatingCurrent() {
    Locale l;
    l.autoupdating_ = true;
    return l;
}

std::string Locale::identifier() const {
    return autoupdating_ ? currentLocaleIdentifier() : identifier_;
}

std::optional<TimeZone> TimeZone::named(const std::string& identifier) {
    std::unique_ptr<icu::TimeZone> zone(
        icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(identifier)));
    // Unknown identifiers come back as the "Etc/Unknown" zone rather than as an error.
    if (!zone || *zone == icu::TimeZone::getUnknown()) return std::nullopt;
    TimeZone tz;
    tz.identifier_ = identifier;
    return tz;
}

TimeZone TimeZone::local() {
    TimeZone tz;
    tz.local_ = true;
    return tz;
}

std::string TimeZone::identifier() const {
    if (!local_) return identifier_;
    std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::detectHostTimeZone());
    std::string id;
    icu::UnicodeString name;
    if (zone) zone->getID(name).toUTF8String(id);
    return id.empty() ? "UTC" : id;
}

}  // namespace text
