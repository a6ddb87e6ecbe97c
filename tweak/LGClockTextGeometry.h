#pragma once

#include <memory>
#include <string>

#include "platform/base/Geometry.h"
#include "platform/text/Font.h"
#include "platform/text/TextLine.h"

// The clock text's geometry: how wide the digits are, how large the glass must be so that it
// never cuts a glyph, and where the lowest ink lies. Every function takes the platform font and
// an optional text-layout font; the layout font wins when present. Text is laid out as one line.
//
// Alignments are the label's: 0 left, 1 centre, 2 right, 3 justified, 4 natural.

// The one-line layout of `text` in `font` with a white foreground; nullptr without a font.
std::shared_ptr<const text::TextLine> LGClockLayoutLine(const std::string& text,
                                                        const text::FontRef& font);

// ceil(advance width); 0 for empty text or no font.
double LGClockTextWidth(const std::string& text, const text::FontRef& font,
                        const text::FontRef& layoutFont);

// The glass frame for a label rect: taller by the overhang of the line box plus 18% of its height
// plus 18 points, and at least as wide as the text plus 18 points plus the emboldening's four
// strokes. It grows downward and sideways (by the alignment), never upward. An empty rect is
// returned unchanged.
base::Rect LGClockGlassFrame(const std::string& text, const text::FontRef& font,
                             const text::FontRef& layoutFont, int alignment,
                             const base::Rect& rect);

// The legacy clock's frame: the centred glass frame, at least the text's width plus 18 points.
base::Rect LGClockLegacyGlassFrame(const std::string& text, const text::FontRef& font,
                                   const text::FontRef& layoutFont, const base::Rect& rect);

// The y (in the rect's coordinates) of the lowest ink when the mask is drawn into the glass frame
// of `rect` with its top `topInset` below the frame's top; the rect's maximum y for an empty rect,
// empty text or no font.
double LGClockGlyphBottom(const std::string& text, const text::FontRef& font,
                          const text::FontRef& layoutFont, const base::Rect& rect, double topInset);
// The same for the legacy frame, whose line sits at the frame's top.
double LGClockLegacyGlyphBottom(const std::string& text, const text::FontRef& font,
                                const text::FontRef& layoutFont, const base::Rect& rect);
