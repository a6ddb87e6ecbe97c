#pragma once

#include <string>

namespace scene {

// A plain-text picture of every window of the application's window scenes (or, in a host without
// scenes, of every shown window), one view a line,
// indented by depth: class name, frame in the window, alpha, hidden, a label's text and the frames
// a GPU surface presented; the first line counts the process's display-link ticks. Tests and
// people read it to see what a host shows without looking at pixels:
//
//   display-link-ticks=42
//   window _SBWallpaperSecureWindow level=-1
//     UIImageView frame=(0,0,393,852) alpha=1
//   window SBCoverSheetWindow level=0
//     CSScrollView frame=(0,0,393,852) alpha=1
//       …
//         _UIAnimatingLabel frame=(0,88,393,116) alpha=0 text="9:41"
std::string describeWindows();

// Writes describeWindows() into `directory`/`name` (a plain snapshot-style name ending in
// ".txt"), replacing only a regular file. False with `error` set otherwise.
bool isDescriptionFileName(const std::string& name);
bool writeWindowDescription(const std::string& directory, const std::string& name,
                            std::string& error);
// Any text under such a name, with the same care.
bool writeSceneTextFile(const std::string& directory, const std::string& name,
                        const std::string& text, std::string& error);

}  // namespace scene
