#pragma once

#include <string>
#include <vector>

// The host program to run: the copy of `program` beside this program in an install, else
// `builtPath`, where the build put it.
std::string hostProgramPath(const std::string& program, const std::string& builtPath);

// Runs one of the host programs for a `quorvane` command and returns its exit status.
//
// `program` is the host's file name ("homescreen", "settings"): the copy beside this program in an
// install wins, else `builtPath`, where the build put it. `args` are the host's own options; the
// command's defaults fill in what they leave out: the device root, a built-in scene when no script
// or scene is named (unless only help or the version is asked for), and "out" as the output
// folder. `command` names the command in messages and in the line printed before the host's help.
int runHostProgram(const std::string& command, const std::string& program,
                   const std::string& builtPath, const std::vector<std::string>& args,
                   const std::string& deviceRoot, const std::vector<std::string>& sceneOptions,
                   const std::string& hostDescription);
