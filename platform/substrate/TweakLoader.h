#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace substrate {

// The hooking framework's loader: what injects tweak libraries into a process at start.
//
// Tweaks live in the device's "/var/jb/Library/MobileSubstrate/DynamicLibraries". A tweak is a
// shared library `Name.so` with a property-list filter `Name.plist` beside it:
//
//     { Filter = { Bundles = ( "com.apple.springboard" ); }; }
//
// A library is loaded when its filter's Bundles list names the process's bundle identifier, or
// its Executables list names the program. Libraries load in byte order of their names, each
// with dlopen, so their load-time initialisers run then, in their own order. A library without a
// filter, with a filter that cannot be read or understood, or that fails to load is skipped with
// one line on standard error naming it and the reason; loading goes on with the next. Loaded
// libraries stay for the life of the process.

struct TweakLoadResult {
    std::string name;  // the file name, "libQuorvane.so"
    std::string path;
    enum class Outcome { Loaded, NotForThisProcess, Skipped } outcome = Outcome::Skipped;
    std::string reason;  // why it was skipped
};

// The folder tweaks are loaded from, resolved under the device root.
std::string tweakDirectory();

// Loads the tweaks meant for this process (its bundle identifier and executable name) and
// returns what happened to every library in the folder, in load order. A missing folder loads
// nothing.
std::vector<TweakLoadResult> loadTweaks(std::string_view bundleIdentifier,
                                        std::string_view executableName);

}  // namespace substrate
