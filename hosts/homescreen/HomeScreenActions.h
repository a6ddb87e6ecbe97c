#pragma once

#include <memory>
#include <string>

#include "hosts/scene/SceneScript.h"
#include "platform/lockscreen/LockScreen.h"

// The actions scene scripts can take in the home-screen host, acting on the lock screen held in
// `lockScreen` when they run (the script is checked before the lock screen exists):
//
//   wait                                  nothing; time passes ("after"/"at")
//   minute        count                   runs the clock to the next minute change, count times
//   notification  id, app, title, body, expanded
//   remove-notification  id
//   scroll        target ("page"/"list"), page (0 to 2), y, animated
//   camera        open
//   passcode      show
//   orientation   to ("portrait"/"landscape")
//   appearance    style ("light"/"dark")
//   preference    key, value, domain, notify (a notification name, or true for
//                 "<domain>/ReloadPrefs")
//   snapshot      file (a plain .png name in the output folder)
//   frames        count, prefix: one snapshot per screen refresh, "<prefix>-000.png" …
scene::ActionTable makeHomeScreenActions(const std::unique_ptr<lockscreen::LockScreen>& lockScreen,
                                         const std::string& outputDirectory);
