#pragma once

#include <ostream>
#include <string>
#include <vector>

// `quorvane controls`: the settings page's glass slider and glass switch in a small window on the
// manual clock. It drags the slider (past its end and back) and toggles the switch (a tap, then a
// drag back), and writes what the window shows as numbered PNG frames.
//
//   controls [--output-dir DIR] [--every N] [--dark]
//
// Returns the process exit status: 0 when the frames were written, 1 when a file cannot be
// written, 2 for bad usage.
int runControlsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
