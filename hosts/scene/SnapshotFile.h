#pragma once

#include <string>

namespace scene {

// Snapshot files of scene scripts: a plain name ("after-scroll.png": letters, digits, '.', '-'
// and '_', not starting with '.', ending in ".png", at most 128 bytes) inside the output folder.
// Scripts never name paths, so a script cannot write outside the folder it was given.
bool isSnapshotFileName(const std::string& name);

// Writes the main screen as shown now (every window, composed) into `directory`/`name`. The
// folder is made when missing. An existing file of that name is replaced only when it is a
// regular file (never a link, a device or a FIFO); the picture is written beside it first and
// renamed into place, so a failed write leaves the old file. False with `error` set otherwise.
bool writeScreenSnapshot(const std::string& directory, const std::string& name, std::string& error);

}  // namespace scene
