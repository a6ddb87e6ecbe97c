#include <algorithm>
#include <charconv>

#include "settings/model/LGSettingsItems.h"

std::string LGFormatSliderValue(int64_t decimals, double value) {
    // to_chars formats the nearest double exactly as printf's "%.*f" does (1.005 with two digits
    // gives "1.00"), but never reads the C locale, so the separator is always a point. More than
    // 17 digits after the point say nothing more about a double.
    const int digits = static_cast<int>(std::clamp<int64_t>(decimals, 0, 17));
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, digits);
    if (result.ec != std::errc()) return {};
    std::string text(buffer, result.ptr);
    // A value label never reads "-0.00": a slider at its minimum of 0 may hold negative zero
    // (an entry of "-0" clamps to it), and a tiny negative value rounds to zero as well.
    if (text.size() > 1 && text.front() == '-' &&
        text.find_first_not_of("0.", 1) == std::string::npos) {
        text.erase(0, 1);
    }
    return text;
}
