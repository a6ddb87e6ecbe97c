#pragma once

#include <optional>
#include <string>

#include "platform/base/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/text/AttributedString.h"
#include "platform/text/Font.h"
#include "platform/ui/View.h"

// The clock's text mask: an image whose alpha says where the glass is, white glyphs on a
// transparent background, drawn from what the overlay shows.

// What the overlay shows, as it copied it from the system's label.
struct LGClockDisplayState {
    std::string text;
    std::optional<text::AttributedString> attributedText;
    text::FontRef font;        // the platform font, nullptr when unset
    text::FontRef layoutFont;  // the text-layout font, nullptr when unset
    int alignment = 1;         // 0 left, 1 centre, 2 right, 3 justified, 4 natural
    double topInset = 0;       // points between the image's top and the line's top
};

// The string to lay out: every character with a text-layout font and a white foreground. Plain
// text in the display font while the variable font is on (or the legacy style is "ios26"); the
// label's styled text, keeping each run's font, otherwise; plain text when there is no styled
// text.
text::AttributedString LGClockMaskAttributedString(const LGClockDisplayState& state);

// The mask for an overlay of `rect`'s size at the main screen's scale; nullptr for an empty rect,
// empty text or no font. A legacy host draws the line at the top, thickened five times by
// "Quorvane.Clock.LegacyEmbolden"; any other host draws it `topInset` below the top, thickened
// nine times by the variable font's emboldening when there is any.
graphics::ImageRef LGClockMaskImage(const LGClockDisplayState& state, const base::Rect& rect,
                                    const ui::View* host);
