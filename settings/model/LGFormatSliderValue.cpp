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
    return result.ec == std::errc() ? std::string(buffer, result.ptr) : std::string();
}
