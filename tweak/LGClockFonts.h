#pragma once

#include "platform/base/Color.h"
#include "platform/text/Font.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"

// The clock's fonts and tint.

// Wherever a label or a run has no font: the bold system font of 84 points.
text::FontRef LGClockFallbackFont();

// Extra stroke distance (points, at least 0) that thickens the variable font's glyphs in the mask:
// 0 unless the system is 16 or later and the variable font is on; 0 up to weight 400, then
// rising to 2 at weight 1000.
double LGClockVariableFontEmbolden();

// The font the overlay draws the label's text with, for its host:
//   legacy host, style other than "ios26": the system font (style "rounded": its rounded design)
//     of max(label size × "Quorvane.Clock.LegacySizeBoost", 58) points, weight
//     "Quorvane.Clock.LegacyFontWeight";
//   legacy host in style "ios26", or any other host while the variable font is on: the variable
//     font at max(label size × "Quorvane.Clock.VariableFont.SizeScale", 1) with the height
//     setting; without it, a legacy host takes the system font at that size, others the label's
//     font unchanged;
//   any other host with the variable font off: the label's font.
text::FontRef LGClockDisplayFont(const ui::Label* label, const ui::View* host);

// The tint laid over the glass in the shape of the digits, by "Quorvane.Clock.TintOverrideMode":
// "light" (default): white at "Quorvane.Clock.LightTintAlpha"; "dark": black at
// "Quorvane.Clock.DarkTintAlpha"; anything else follows the view's appearance.
base::Color LGClockTintColor(const ui::View* view);
