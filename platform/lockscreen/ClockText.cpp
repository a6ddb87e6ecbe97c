#include "platform/lockscreen/ClockText.h"

#include <string_view>

#include "platform/text/DateFormatter.h"
#include "platform/text/Locale.h"

namespace lockscreen {

namespace {

// Spaces ICU puts around the day period: ASCII, no-break and narrow no-break spaces.
bool startsWithSpace(std::string_view s, std::size_t& length) {
    if (!s.empty() && s[0] == ' ') {
        length = 1;
        return true;
    }
    for (std::string_view space :
         {std::string_view("\xC2\xA0"), std::string_view("\xE2\x80\xAF")}) {
        if (s.substr(0, space.size()) == space) {
            length = space.size();
            return true;
        }
    }
    return false;
}

bool endsWithSpace(std::string_view s, std::size_t& length) {
    if (!s.empty() && s.back() == ' ') {
        length = 1;
        return true;
    }
    for (std::string_view space :
         {std::string_view("\xC2\xA0"), std::string_view("\xE2\x80\xAF")}) {
        if (s.size() >= space.size() && s.substr(s.size() - space.size()) == space) {
            length = space.size();
            return true;
        }
    }
    return false;
}

std::string trimSpaces(std::string s) {
    std::size_t length = 0;
    while (startsWithSpace(s, length)) s.erase(0, length);
    while (endsWithSpace(s, length)) s.erase(s.size() - length);
    return s;
}

std::string format(dispatch::Date date, const std::string& pattern) {
    if (pattern.empty()) return {};
    text::DateFormatter formatter;
    formatter.setDateFormat(pattern);
    return formatter.string(date);
}

}  // namespace

std::string lockScreenTimePattern(const std::string& localeIdentifier) {
    const std::string pattern =
        text::DateFormatter::dateFormatFromTemplate("jmm", text::Locale(localeIdentifier));
    // Drop the day-period letters outside quoted literals; a space left before or after the
    // removed field goes with it.
    std::string result;
    bool quoted = false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '\'') quoted = !quoted;
        if (!quoted && (c == 'a' || c == 'b' || c == 'B')) {
            std::size_t length = 0;
            if (endsWithSpace(result, length)) result.erase(result.size() - length);
            std::size_t j = i + 1;
            while (j < pattern.size() && pattern[j] == c) ++j;
            if (startsWithSpace(std::string_view(pattern).substr(j), length) && !result.empty()) {
                j += length;
            }
            i = j - 1;
            continue;
        }
        result += c;
    }
    return trimSpaces(result);
}

std::string lockScreenTimeText(dispatch::Date date) {
    return format(date, lockScreenTimePattern(text::currentLocaleIdentifier()));
}

std::string lockScreenDateText(dispatch::Date date) {
    return format(date, text::DateFormatter::dateFormatFromTemplate(
                            "EEEEMMMMd", text::Locale(text::currentLocaleIdentifier())));
}

}  // namespace lockscreen
