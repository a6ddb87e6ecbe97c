#pragma once

#include <string>

// The scenes the home-screen host knows by name, as scene-script text.
//   "picture": one picture of the lock screen, "lockscreen.png", a second after start, with
//              `notifications` sample notifications (0 to 6) shown;
//   "frames":  PNG frames of the lock screen while the pages scroll and come back
//              ("scroll-NNN.png"), then while a notification arrives and rises towards the clock
//              ("notification-NNN.png").
// Empty for an unknown name.
std::string builtInScene(const std::string& name, int notifications);
