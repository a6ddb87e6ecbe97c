#pragma once

#include <memory>
#include <vector>

#include "platform/base/Geometry.h"
#include "platform/text/AttributedString.h"
#include "platform/text/TextLine.h"
#include "platform/ui/Label.h"

namespace ui::detail {

// One line of a label as drawn: the shaped line and where its baseline starts, in the label's
// bounds coordinates (y down).
struct PlacedLine {
    std::shared_ptr<const text::TextLine> line;
    base::Point baselineOrigin;
    // The bytes of the text on this line (an ellipsis drawn after them is not in the text).
    text::TextRange range;
};

// Lays text out as a label shows it in `bounds`:
// - Pass 1, lines: paragraphs split at line feeds; with one line allowed the text is cut to the
//   width by characters, otherwise paragraphs wrap at spaces and between ideographs (inside a
//   word only when the word alone is too wide; never before closing punctuation). `maxLines` 0
//   allows as many lines as the bounds' height holds (at least one). Text that does not fit ends
//   its last line with an ellipsis.
// - Pass 2, placement: the block of lines is centred vertically; each line is placed by the
//   alignment (natural and justified lines start at the left edge).
// Nothing is laid out in bounds without width, for empty text, or for text without glyphs.
std::vector<PlacedLine> layOutText(const text::AttributedString& text, const base::Rect& bounds,
                                   TextAlignment alignment, int maxLines);

// The label's text, alignment and line count in its bounds. A label whose text fits on one line
// reuses the label's own shaped line.
std::vector<PlacedLine> layOutLabel(const Label& label);

// The characters of `range` with their attributes.
text::AttributedString attributedSlice(const text::AttributedString& text, text::TextRange range);

}  // namespace ui::detail
