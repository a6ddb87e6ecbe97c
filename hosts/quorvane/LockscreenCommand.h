#pragma once

#include <string>
#include <vector>

// `quorvane lockscreen [options]`: runs the home-screen host on a scene script (the built-in one
// when no --script is given) and returns its exit status. The options are the host's; see
// `quorvane lockscreen --help`.
int runLockscreenCommand(const std::vector<std::string>& args, const std::string& deviceRoot);
