#pragma once

#include <cstdint>
#include <string_view>

// Frame rates of the glass renderer. Main thread only (they read the main screen).

// The main screen's maximum frames per second when it reports a positive rate, else 60.
std::int64_t LGScreenMaximumFramesPerSecond();

// The integer preference `key` (30 when unset), raised to at least `floor` and capped at the
// screen's maximum (60 when the screen reports less than 1). The clock asks for
// "Quorvane.Clock.FPS" with floor 10.
std::int64_t LGPreferredFramesPerSecond(std::string_view key, std::int64_t floor);

// The preference that paces the glass views of an update group: "Homescreen.FPS" for groups 1-4,
// 7 and 8, "Quorvane.Clock.FPS" for 5, "AppLibrary.FPS" for 6; empty for 0 and above 8.
std::string_view LGGlassFramesPerSecondKey(std::int64_t updateGroup);

// How often the glass views of a group may draw: the group's preference (30 when unset or when
// the group has none), never below 30. There is no upper cap: a view is paced by its own draw
// requests, not by the display.
std::int64_t LGGlassFramesPerSecond(std::int64_t updateGroup);
