#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// A clock-like text mask for benchmarks: "09:41" in rounded seven-segment strokes, anti-aliased,
// drawn as premultiplied white BGRA the way the text mask is uploaded.
std::vector<std::uint8_t> makeClockMask(std::size_t width, std::size_t height,
                                        std::string_view text = "09:41");
