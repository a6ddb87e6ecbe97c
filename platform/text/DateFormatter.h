#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

#include "platform/text/Locale.h"

namespace text {

// Formats dates with a pattern ("EEE, MMM d") in a locale and time zone. A new formatter uses the
// auto-updating current locale and the local time zone, and has an empty pattern. Not
// thread-safe: use one formatter per thread.
class DateFormatter {
  public:
    DateFormatter();
    ~DateFormatter();
    DateFormatter(const DateFormatter&) = delete;
    DateFormatter& operator=(const DateFormatter&) = delete;

    void setLocale(Locale locale);
    const Locale& locale() const { return locale_; }
    void setTimeZone(TimeZone zone);
    const TimeZone& timeZone() const { return zone_; }

    void setDateFormat(std::string pattern);
    const std::string& dateFormat() const { return pattern_; }
    // Sets the pattern to this locale's own way of showing the template's fields, with its
    // order, punctuation and words: "EEE MMM d" gives "EEE, MMM d" in en_US and "M月d日EEE" in
    // zh_CN. Uses the formatter's locale as it is now.
    void setLocalizedDateFormatFromTemplate(std::string_view dateTemplate);

    // The locale's best pattern for a template's fields; empty when the template holds none.
    static std::string dateFormatFromTemplate(std::string_view dateTemplate, const Locale& locale);

    // Empty when the pattern is empty or cannot be used.
    std::string string(std::chrono::system_clock::time_point date) const;

  private:
    Locale locale_;
    TimeZone zone_;
    std::string pattern_;

    // The ICU formatter, remade when the locale, zone or pattern it was made for changes (the
    // current locale or local zone may change under an auto-updating formatter).
    struct Cache;
    mutable std::unique_ptr<Cache> cache_;
};

}  // namespace text
