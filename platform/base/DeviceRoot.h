#pragma once

#include <string>
#include <string_view>

namespace base {

// The simulated device's file system.
//
// Code keeps the phone's absolute paths ("/var/mobile/Library/Preferences", "/tmp/Quorvane.log")
// and resolves them under one process-wide root directory, the way a chroot would. Hosts and the
// command-line program set the root from their options; when nothing sets it, the environment
// variable QUORVANE_DEVICE_ROOT names it, and failing that a per-user folder under the host's
// /tmp, so that a process never touches the host's own /var or /tmp by accident.

// The absolute root, without a trailing slash.
std::string deviceRoot();

// Makes `root` (made absolute against the working directory) the root for the whole process.
// An empty string restores the default.
void setDeviceRoot(std::string_view root);

// The host path of a phone path. The phone path is taken as absolute ("tmp/x" is "/tmp/x") and
// normalised lexically; ".." never climbs above the root.
std::string resolveDevicePath(std::string_view phonePath);

// Creates the host directory `path` and its missing parents, new ones with mode 0755 (less the
// umask). Returns whether `path` is a directory afterwards.
bool makeDirectories(const std::string& path);

// The folders every device has, as phone paths: the temporary folder (where the diagnostic log
// goes) and the mobile user's preferences folder.
inline constexpr const char* kStandardDeviceFolders[] = {"/tmp", "/var/mobile/Library/Preferences"};

// Creates the standard folders under the current root when they are missing, so that a program
// given a new, empty root finds the layout it expects. Nothing that exists is changed. Returns
// false, with `error` (when given) naming the folder and the reason, when one cannot be made.
bool layOutDeviceRoot(std::string* error = nullptr);

}  // namespace base
