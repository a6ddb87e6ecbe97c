#pragma once

#include <cstddef>
#include <string_view>

namespace base {

// Decodes the character at `offset`, storing its byte length in `length`. Malformed input
// (stray continuation bytes, overlong forms, surrogates, truncation) gives U+FFFD for one byte,
// so decoding always moves forward.
inline char32_t decodeUtf8(std::string_view s, std::size_t offset, std::size_t* length) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char b0 = byte(offset);
    *length = 1;
    if (b0 < 0x80) return b0;
    int extra;
    char32_t cp;
    char32_t minimum;
    if ((b0 & 0xE0) == 0xC0) {
        extra = 1, cp = b0 & 0x1F, minimum = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2, cp = b0 & 0x0F, minimum = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3, cp = b0 & 0x07, minimum = 0x10000;
    } else {
        return 0xFFFD;
    }
    if (offset + std::size_t(extra) >= s.size()) return 0xFFFD;
    for (int i = 1; i <= extra; ++i) {
        const unsigned char b = byte(offset + i);
        if ((b & 0xC0) != 0x80) return 0xFFFD;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0xFFFD;
    *length = std::size_t(extra) + 1;
    return cp;
}

// Whether `text` is well-formed UTF-8: no stray continuation bytes, no overlong forms, no
// surrogates, nothing above U+10FFFF, nothing cut off. Text from outside (arguments, files) is
// checked with this before it becomes a string value, so it is never silently altered later.
inline bool isValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = 0;
        // A malformed sequence decodes to U+FFFD one byte long; a real U+FFFD is three bytes.
        if (decodeUtf8(text, i, &length) == 0xFFFD && length == 1) return false;
        i += length;
    }
    return true;
}

}  // namespace base
