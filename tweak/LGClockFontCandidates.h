#pragma once

#include <optional>
#include <string>
#include <vector>

// Where the clock's variable font is looked for. The font ships in the settings bundle's folder,
// not beside the tweak, so the tweak searches an ordered list of phone paths for it. Every path
// in the list is a phone path ("/var/jb/..."), resolved under the device root when it is checked.

inline constexpr char kLGClockVariableFontFileName[] = "SFAdaptiveSoftNumeric-VF.otf";
// Appended to a directory to name the font in a settings bundle below that directory.
inline constexpr char kLGClockVariableFontBundleSuffix[] =
    "/Library/PreferenceBundles/QuorvanePrefs.bundle/SFAdaptiveSoftNumeric-VF.otf";

// The candidates in the order they are tried:
//  1. "/var/mobile/Velk/字体素材/velk42.otf";
//  2. for the library's path as the dynamic loader reports it, then for the same path with
//     symbolic links resolved: starting at its directory and going up at most 8 directories
//     (while the directory's path is at least 2 characters long), the directory followed by the
//     bundle suffix above;
//  3. "/opt/simject/PreferenceBundles/QuorvanePrefs.bundle/SFAdaptiveSoftNumeric-VF.otf";
//  4. "/var/jb/Library/PreferenceBundles/QuorvanePrefs.bundle/SFAdaptiveSoftNumeric-VF.otf";
//  5. "/Library/PreferenceBundles/QuorvanePrefs.bundle/SFAdaptiveSoftNumeric-VF.otf".
// Duplicates are dropped, the first occurrence kept.
std::vector<std::string> LGClockFontCandidates();

// The same list for a library whose file the dynamic loader reports at `libraryPath` (a host
// path; a relative one is taken against the working directory). Only a library inside the
// device root adds derived candidates: a path outside it names nothing on the phone.
std::vector<std::string> LGClockFontCandidatesForLibrary(const std::string& libraryPath);

// The first candidate that is a regular file (links followed) under the device root; directories
// and other non-files are passed over. When none is, logs
// "clock variable font path not found candidates=%@" with the whole list and returns nullopt.
std::optional<std::string> LGClockFirstExistingFontPath(const std::vector<std::string>& candidates);
