#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace text {

// A four-character OpenType tag as a number: 'w' in the high byte, as fonts store it.
constexpr uint32_t axisTag(const char (&tag)[5]) {
    return (uint32_t(uint8_t(tag[0])) << 24) | (uint32_t(uint8_t(tag[1])) << 16) |
           (uint32_t(uint8_t(tag[2])) << 8) | uint32_t(uint8_t(tag[3]));
}

inline constexpr uint32_t kWeightAxis = axisTag("wght");
inline constexpr uint32_t kWidthAxis = axisTag("wdth");

// One design axis of a variable font.
struct VariationAxis {
    uint32_t tag = 0;
    std::string name;  // from the font's name table; the tag's text when the font names none
    double minimum = 0;
    double defaultValue = 0;
    double maximum = 0;

    friend bool operator==(const VariationAxis&, const VariationAxis&) = default;
};

// Axis values by tag.
using Variations = std::map<uint32_t, double>;

}  // namespace text
