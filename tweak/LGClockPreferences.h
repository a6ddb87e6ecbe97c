#pragma once

#include <cstdint>

#include "platform/text/FontWeight.h"

// The clock's preference keys and the tweak's defaults for them. Every reading call site passes
// the default listed here, so the tweak agrees with itself (and the settings page agrees with
// these values for every key it shares).

inline constexpr char kLGClockEnabledKey[] = "Quorvane.Clock.Enabled";
inline constexpr bool kLGClockEnabledDefault = true;
inline constexpr char kLGClockHideStockTimeKey[] = "Quorvane.Clock.HideStockTime";
inline constexpr bool kLGClockHideStockTimeDefault = true;
inline constexpr char kLGClockFPSKey[] = "Quorvane.Clock.FPS";
inline constexpr std::int64_t kLGClockFPSDefault = 30;
// The clock never ticks below this rate while busy.
inline constexpr std::int64_t kLGClockFPSFloor = 10;

inline constexpr char kLGClockBezelWidthKey[] = "Quorvane.Clock.BezelWidth";
inline constexpr double kLGClockBezelWidthDefault = 24.0;
inline constexpr char kLGClockGlassThicknessKey[] = "Quorvane.Clock.GlassThickness";
inline constexpr double kLGClockGlassThicknessDefault = 150.0;
inline constexpr char kLGClockRefractionScaleKey[] = "Quorvane.Clock.RefractionScale";
inline constexpr double kLGClockRefractionScaleDefault = 1.5;
inline constexpr char kLGClockRefractiveIndexKey[] = "Quorvane.Clock.RefractiveIndex";
inline constexpr double kLGClockRefractiveIndexDefault = 1.5;
inline constexpr char kLGClockSpecularOpacityKey[] = "Quorvane.Clock.SpecularOpacity";
inline constexpr double kLGClockSpecularOpacityDefault = 0.6;
inline constexpr char kLGClockBlurKey[] = "Quorvane.Clock.Blur";
inline constexpr double kLGClockBlurDefault = 3.0;
inline constexpr char kLGClockWallpaperScaleKey[] = "Quorvane.Clock.WallpaperScale";
inline constexpr double kLGClockWallpaperScaleDefault = 1.0;

inline constexpr char kLGClockTintOverrideModeKey[] = "Quorvane.Clock.TintOverrideMode";
inline constexpr char kLGClockTintOverrideModeDefault[] = "light";
inline constexpr char kLGClockLightTintAlphaKey[] = "Quorvane.Clock.LightTintAlpha";
inline constexpr double kLGClockLightTintAlphaDefault = 0.3;
inline constexpr char kLGClockDarkTintAlphaKey[] = "Quorvane.Clock.DarkTintAlpha";
inline constexpr double kLGClockDarkTintAlphaDefault = 0.0;

inline constexpr char kLGClockVariableFontEnabledKey[] = "Quorvane.Clock.VariableFont.Enabled";
inline constexpr bool kLGClockVariableFontEnabledDefault = true;

inline constexpr char kLGClockLegacyFontStyleKey[] = "Quorvane.Clock.LegacyFontStyle";
inline constexpr char kLGClockLegacyFontStyleDefault[] = "current";
inline constexpr char kLGClockLegacyFontWeightKey[] = "Quorvane.Clock.LegacyFontWeight";
inline constexpr double kLGClockLegacyFontWeightDefault = text::FontWeight::Heavy;
inline constexpr char kLGClockLegacySizeBoostKey[] = "Quorvane.Clock.LegacySizeBoost";
inline constexpr double kLGClockLegacySizeBoostDefault = 1.05;
inline constexpr char kLGClockLegacyEmboldenKey[] = "Quorvane.Clock.LegacyEmbolden";
inline constexpr double kLGClockLegacyEmboldenDefault = 0.35;

inline constexpr char kLGClockVerticalOffsetKey[] = "Quorvane.Clock.VerticalOffset";
inline constexpr double kLGClockVerticalOffsetDefault = 0.0;
inline constexpr char kLGClockDateVerticalOffsetKey[] = "Quorvane.Clock.DateVerticalOffset";
inline constexpr double kLGClockDateVerticalOffsetDefault = 0.0;
