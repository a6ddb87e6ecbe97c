#pragma once

#include <string>
#include <vector>

// `quorvane settings [options]`: runs the Settings host on a scene script (the built-in one, a
// picture of the root list written into out/, when no --script is given) and returns its exit
// status. The options are the host's; see `quorvane settings --help`.
int runSettingsCommand(const std::vector<std::string>& args, const std::string& deviceRoot);
