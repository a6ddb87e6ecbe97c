#pragma once

#include <memory>
#include <string>

#include "platform/text/detail/FontFace.h"

namespace text::detail {

// The installed fonts, found through fontconfig. Every function is safe from any thread; faces
// found once are kept for the life of the process.

// The system UI face: the variable sans family when installed (its `wght` axis carries the
// weights), otherwise whatever fontconfig calls sans-serif. nullptr only with no fonts at all.
std::shared_ptr<const FontFace> systemFace();

// The installed face of the rounded design whose weight is nearest `weight` (platform scale);
// nullptr when no rounded family is installed.
std::shared_ptr<const FontFace> roundedFace(double weight);

// An installed face with this PostScript name; nullptr when there is none.
std::shared_ptr<const FontFace> installedFace(const std::string& postScriptName);

// A face with a glyph for `codepoint`, for characters the requested font lacks; nullptr when no
// installed font has one.
std::shared_ptr<const FontFace> fallbackFace(char32_t codepoint);

}  // namespace text::detail
