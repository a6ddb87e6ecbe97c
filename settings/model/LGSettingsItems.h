#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/model/LGSettingsItem.h"

// ---- Builders ----
//
// Each returns a new item with every field of its type filled in.

LGSettingsItem LGSwitchItem(std::string key, std::string title, std::string subtitle,
                            bool defaultValue);
LGSettingsItem LGSliderItem(std::string key, std::string title, std::string subtitle,
                            int64_t decimals, double defaultValue, double minimum, double maximum);
LGSettingsItem LGMenuItem(std::string key, std::string title, std::string subtitle,
                          std::string defaultValue, std::vector<LGSettingsChoice> choices = {});
LGSettingsItem LGNavItem(std::string title, std::string subtitle, std::string action);
LGSettingsItem LGSectionItem(std::string title, std::string subtitle);
LGSettingsItem LGSmallSectionItem(std::string title);

// The page definition's own builders.
LGSettingsItem LGClockEnabledItem(std::string key, bool defaultValue);
LGSettingsItem LGClockFPSItem(std::string key);
// 120 on a screen of 120 frames per second or more, otherwise 60.
int64_t LGMaximumClockFPS();
// A menu of "system", "light" and "dark"; an empty default becomes "system".
LGSettingsItem LGTintModeItem(std::string key, std::string title = {},
                              std::string defaultValue = {});

// ---- Rules ----

// The row is usable only while "Quorvane.Clock.Enabled" is on (assumed on while unset).
LGSettingsItem LGClockControlledItem(const LGSettingsItem& item);
// The row is shown only while "Quorvane.Clock.LegacyFontStyle" (assumed "current" while unset)
// is one of `values`.
LGSettingsItem LGLegacyStyleVisibleItem(const LGSettingsItem& item,
                                        std::vector<std::string> values = {});

// ---- The page ----

// The settings page of the lock-screen clock, for the running system generation and screen.
std::vector<LGSettingsItem> LGLockscreenSurfaceItems();

// `value` in fixed-point notation with `decimals` digits after the point (a negative count reads
// as 0), always with "." and without grouping, whatever the locale: (2, 0.3) → "0.30". The
// nearest double is what is rounded ((2, 1.005) → "1.00"); a result of zero has no minus sign.
std::string LGFormatSliderValue(int64_t decimals, double value);
