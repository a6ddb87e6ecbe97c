#pragma once

#include <ostream>
#include <string>
#include <vector>

// `quorvane defaults`: reads and changes preference domains under a device root, the way the
// phone's own `defaults` tool does.
//
//   defaults read <domain> [key]
//   defaults write <domain> <key> [-string|-int|-float|-bool] <value>
//   defaults delete <domain> [key]
//   --notify <name>   after a successful write or delete, post the cross-process notification
//                     <name> (e.g. the domain's reload notification), as the settings page would
//
// Returns the process exit status: 0 on success, 1 when a domain or key does not exist or the
// domain cannot be read or written, 2 for bad usage or a value of the wrong form.
int runDefaultsCommand(const std::vector<std::string>& args, const std::string& deviceRoot);

// The same, writing to the given streams instead of standard output and error.
int runDefaultsCommand(const std::vector<std::string>& args, const std::string& deviceRoot,
                       std::ostream& out, std::ostream& err);
