#pragma once

#include <memory>
#include <string>
#include <vector>

namespace ui {
class ViewController;
}

// One folder of the device's preference bundles, as the Settings app lists it.
struct PreferenceBundle {
    std::string name;            // the folder's name without ".bundle"
    std::string path;            // the folder, in the host's file system
    std::string executable;      // CFBundleExecutable: a file name inside the folder
    std::string principalClass;  // NSPrincipalClass: the root controller's class name
    // Why the bundle cannot be opened; empty when it looks usable.
    std::string problem;
};

// The bundles under <device root>/var/jb/Library/PreferenceBundles, sorted by name. Each
// "*.bundle" folder is listed; one whose Info.plist is missing, not a regular file, larger than
// 1 MiB, not a property list, or lacks a plain executable name or a principal class is listed
// with the problem set. Never blocks: files are opened without waiting and only regular files
// are read.
std::vector<PreferenceBundle> findPreferenceBundles();

// Loads the bundle's executable (once per process) and makes an instance of its principal
// class. nullptr with `error` set when the executable is missing or not a regular file, the
// loader refuses it, the class does not exist after loading, or is not a view controller.
std::shared_ptr<ui::ViewController> openPreferenceBundle(const PreferenceBundle& bundle,
                                                         std::string& error);
