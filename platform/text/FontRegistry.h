#pragma once

#include <memory>
#include <string>

#include "platform/text/Font.h"

namespace text {

// Fonts registered for this process are found by FontDescriptor::named(their PostScript name),
// ahead of installed fonts of the same name. Safe from any thread.

// Registers the font's face (any size and axis values of it will do). False with `reason` set
// when a font with that PostScript name is already registered; the earlier one stays.
bool registerFont(const Font& font, std::string* reason = nullptr);
// Loads and registers a font file; the PostScript name, or empty with `reason` set when the file
// cannot be loaded or the name is taken.
std::string registerFontFile(const std::string& path, std::string* reason = nullptr);
// False when no font of that name was registered.
bool unregisterFont(const std::string& postScriptName);

namespace detail {
std::shared_ptr<const FontFace> registeredFace(const std::string& postScriptName);
}

}  // namespace text
