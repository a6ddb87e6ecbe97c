#pragma once

#include <memory>
#include <string_view>

#include "platform/text/Locale.h"

namespace ui {
class Label;
class ViewController;
}  // namespace ui

// The number a person typed into the value entry dialog, before clamping: the text (white space
// trimmed) read in `locale`; failing that, with every "," read as ".", its leading decimal number;
// 0 when there is none. nullopt for empty text, which changes nothing. Never NaN: a value that
// cannot be ordered could not be clamped into the slider's range.
std::optional<double> LGParseEnteredValue(std::string_view text,
                                          const text::Locale& locale = text::Locale::current());

// Asks for a slider's value by typing it: an alert over `page` with the range in its message and
// the current value in its field. "应用" stores the number clamped to the range and shows it on the
// slider and the label. Nothing happens when the label was not made for a slider by the page.
void LGPresentValueEntry(const std::shared_ptr<ui::ViewController>& page,
                         const std::shared_ptr<ui::Label>& valueLabel);
