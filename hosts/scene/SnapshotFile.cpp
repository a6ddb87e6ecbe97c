#include "hosts/scene/SnapshotFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/base/DeviceRoot.h"
#include "platform/ui/Compositor.h"

namespace scene {

bool isSnapshotFileName(const std::string& name) {
    if (name.size() < 5 || name.size() > 128 || name.front() == '.') return false;
    if (!name.ends_with(".png")) return false;
    for (char c : name) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_';
        if (!ok) return false;
    }
    return true;
}

bool writeScreenSnapshot(const std::string& directory, const std::string& name,
                         std::string& error) {
    if (!isSnapshotFileName(name)) {
        error = "\"" + name + "\" is not a plain PNG file name";
        return false;
    }
    if (!base::makeDirectories(directory)) {
        error = "cannot make the output folder " + directory;
        return false;
    }
    const std::string path = directory + "/" + name;
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        error = path + " exists and is not a regular file; it is left alone";
        return false;
    }
    const std::string partial = path + ".partial-" + std::to_string(::getpid());
    if (::lstat(partial.c_str(), &info) == 0) {
        error = partial + " is in the way; it is left alone";
        return false;
    }
    std::string reason;
    if (!ui::writeScreenPNG(0, partial, &reason)) {
        ::unlink(partial.c_str());
        error = "cannot write " + path + ": " + reason;
        return false;
    }
    if (::rename(partial.c_str(), path.c_str()) != 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        ::unlink(partial.c_str());
        return false;
    }
    return true;
}

}  // namespace scene
