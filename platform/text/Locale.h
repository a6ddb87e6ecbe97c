#pragma once

#include <optional>
#include <string>

namespace text {

// A locale by its identifier ("en_US", "zh_CN", "de_DE"). The current locale comes from the
// environment (LC_ALL, then LANG; charset suffixes dropped; "C" and "POSIX" mean "en_US_POSIX").
class Locale {
  public:
    // Accepts ICU and POSIX spellings ("en-US", "de_DE.UTF-8") and stores the canonical one.
    explicit Locale(std::string identifier);
    // The environment's locale now, fixed from then on.
    static Locale current();
    // Follows the environment: every use reads it again.
    static Locale autoupdatingCurrent();

    std::string identifier() const;
    bool isAutoupdating() const { return autoupdating_; }

    friend bool operator==(const Locale&, const Locale&) = default;

  private:
    Locale() = default;
    std::string identifier_;
    bool autoupdating_ = false;
};

// The locale identifier the environment names now.
std::string currentLocaleIdentifier();

// A time zone by its identifier ("Europe/Berlin", "UTC"). The local zone follows TZ and the
// system's zone, read again at every use.
class TimeZone {
  public:
    // nullopt for identifiers the time-zone database does not know.
    static std::optional<TimeZone> named(const std::string& identifier);
    static TimeZone local();

    std::string identifier() const;
    bool isLocal() const { return local_; }

    friend bool operator==(const TimeZone&, const TimeZone&) = default;

  private:
    TimeZone() = default;
    std::string identifier_;
    bool local_ = false;
};

}  // namespace text
