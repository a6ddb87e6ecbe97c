#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/text/Font.h"
#include "platform/text/VariationAxis.h"

// The clock's variable font: found by path in the settings bundle's folder, read and registered
// once per process, its axes matched to the four settings, and instances handed out at a point
// size and height-axis value that the overlay computes.
//
// Process-wide state, filled on the first request and never reset: a failure at any loading step
// is logged once and not retried while the process lives; every later request then returns
// nullptr and the clock keeps its fallback fonts. Any thread may call in; the clock calls on the
// main thread.

// The logical names of the axes the settings page drives.
inline constexpr std::string_view kLGClockAxisWeight = "weight";
inline constexpr std::string_view kLGClockAxisWidth = "width";
inline constexpr std::string_view kLGClockAxisHeight = "height";
inline constexpr std::string_view kLGClockAxisSoftness = "softness";

// Settings read for every instance, with the defaults used when a value is missing.
inline constexpr char kLGClockVariableFontWeightKey[] = "Quorvane.Clock.VariableFont.Weight";
inline constexpr char kLGClockVariableFontWidthKey[] = "Quorvane.Clock.VariableFont.Width";
inline constexpr char kLGClockVariableFontHeightKey[] = "Quorvane.Clock.VariableFont.Height";
inline constexpr char kLGClockVariableFontSoftnessKey[] = "Quorvane.Clock.VariableFont.Softness";
inline constexpr char kLGClockVariableFontSizeScaleKey[] = "Quorvane.Clock.VariableFont.SizeScale";
inline constexpr double kLGClockVariableFontDefaultWeight = 750;
inline constexpr double kLGClockVariableFontDefaultWidth = 100;
inline constexpr double kLGClockVariableFontDefaultHeight = 350;
inline constexpr double kLGClockVariableFontDefaultSoftness = 56;
inline constexpr double kLGClockVariableFontDefaultSizeScale = 1.4;

// How many instances are kept; beyond that the least recently used ones are dropped.
inline constexpr size_t kLGClockVariableFontCacheLimit = 256;

// An axis range as the font states it; a bound it does not state is the largest finite double
// with the sign of that side.
struct LGClockAxisRange {
    double minimum;
    double maximum;
};

// The logical axis a font's axis name stands for, nullopt for an axis the settings do not drive.
// The name is compared in lower case and the first match wins: "weight" or "wght" -> weight,
// "width" or "wdth" -> width, "height" or "hght" -> height, "soft" -> softness.
std::optional<std::string_view> LGClockLogicalAxisName(std::string_view axisName);

// Finds, reads and registers the font and learns its axes; does its work on the first call only.
// Failures are logged:
//   "clock variable font read failed path=%@"             the file is empty or cannot be read
//   "clock variable font CGFont create failed path=%@"    the bytes are not a usable font
//   "clock variable font register failed postscript=%@ error=%@"   (loading carries on)
//   "clock variable font has no variation axes postscript=%@"      (loading carries on)
// A missing file was already logged by the path search (LGClockFirstExistingFontPath).
void LGClockRegisterVariableFont();

// The font at `pointSize` with the weight, width and softness settings and `heightAxis` on the
// height axis, each clamped to its axis. Loads the font on first use. Identical requests (to two
// decimals) return the same instance. nullptr when the font could not be loaded, or, logged as
// "clock variable CTFont descriptor create failed postscript=%@ size=%.2f variations=%@", when
// the instance cannot be made (a size that is not positive and finite included).
text::FontRef LGClockVariableFont(double pointSize, double heightAxis);

// `value` clamped to the range of the logical axis; `value` unchanged when the font has no such
// axis or is not loaded. Never loads the font.
double LGClockClampAxis(std::string_view logicalName, double value);

// The range of a logical axis; nullopt when the font has no such axis or is not loaded.
std::optional<LGClockAxisRange> LGClockVariableFontAxisRange(std::string_view logicalName);

// What an instance request asks for: the cache key ("<PostScript name>|size|weight|width|height|
// softness|size scale", numbers with two decimals) and the axis values by tag, for the axes the
// font has. A setting that is not a number (NaN) counts as its default, a NaN height axis as the
// height setting. nullopt when the font is not loaded; never loads it.
struct LGClockVariableFontRequest {
    std::string key;
    text::Variations variations;
};
std::optional<LGClockVariableFontRequest> LGClockVariableFontRequestFor(double pointSize,
                                                                        double heightAxis);

// The phone path where the font was found (empty before the search and when nothing was found)
// and its PostScript name (empty unless loading got that far).
std::string LGClockVariableFontPath();
std::string LGClockVariableFontPostScriptName();
