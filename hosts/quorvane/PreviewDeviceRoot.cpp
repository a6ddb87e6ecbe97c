#include "hosts/quorvane/PreviewDeviceRoot.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/base/DeviceRoot.h"

namespace fs = std::filesystem;

namespace {

// The folders of the device tree that hold deliverables, as phone paths.
constexpr const char* kInstalledFolders[] = {"/var/jb/Library/MobileSubstrate/DynamicLibraries",
                                             "/var/jb/Library/PreferenceBundles"};

}  // namespace

bool PreviewDeviceRoot::create(const std::string& deviceTree, std::string& error,
                               std::string& notes) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp && *tmp == '/' ? tmp : "/tmp") + "/quorvane-preview-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        error = "cannot make a device root in " + pattern.substr(0, pattern.rfind('/')) + ": " +
                std::strerror(errno);
        return false;
    }
    path_ = pattern;
    base::setDeviceRoot(path_);
    if (!base::layOutDeviceRoot(&error)) return false;

    for (const char* folder : kInstalledFolders) {
        const fs::path from = fs::path(deviceTree) / (folder + 1);
        const fs::path to = base::resolveDevicePath(folder);
        std::error_code failure;
        if (!fs::is_directory(from, failure)) {
            notes += "quorvane preview: the build's device tree has no " + from.string() +
                     "; the preview runs without it\n";
            continue;
        }
        fs::create_directories(to, failure);
        fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::copy_symlinks, failure);
        if (failure) {
            error = "cannot copy " + from.string() + " into the device root: " + failure.message();
            return false;
        }
    }
    return true;
}

PreviewDeviceRoot::~PreviewDeviceRoot() {
    if (path_.empty()) return;
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}
