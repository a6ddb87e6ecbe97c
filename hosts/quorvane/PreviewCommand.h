#pragma once

#include <string>
#include <vector>

// `quorvane preview`: the lock screen and the Settings app side by side in desktop windows. It
// starts the home-screen host and the Settings host as real processes on one device root, each
// showing its screen in a window; what is changed in the Settings window reaches the lock-screen
// window through the preference domain and the change notification, as on the phone.
//
// `chosenDeviceRoot` is the root the command line or the environment chose, empty when neither
// did: the preview then runs on a fresh root with the build's deliverables installed, removed at
// the end. Returns the exit status: 0 when the preview ended normally (a window closed, SIGINT,
// SIGTERM), 1 when there is no display or a host failed, 2 for bad usage.
int runPreviewCommand(const std::vector<std::string>& args, const std::string& chosenDeviceRoot);
