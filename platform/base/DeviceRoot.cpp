#include "platform/base/DeviceRoot.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

namespace base {

namespace {

std::mutex& rootMutex() {
    static std::mutex mutex;
    return mutex;
}

std::string& rootStorage() {
    static std::string root;
    return root;
}

// Joins the components of `path`, dropping "." and empty ones and letting ".." remove the
// previous component but never go above the first.
std::string normalisedAbsolute(std::string_view path) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        std::string_view part = path.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string out;
    for (auto part : parts) {
        out += '/';
        out += part;
    }
    return out.empty() ? "/" : out;
}

std::string makeAbsolute(std::string_view path) {
    if (!path.empty() && path.front() == '/') return normalisedAbsolute(path);
    char buffer[4096];
    std::string cwd = getcwd(buffer, sizeof buffer) ? buffer : "/";
    return normalisedAbsolute(cwd + "/" + std::string(path));
}

std::string defaultRoot() {
    if (const char* env = std::getenv("QUORVANE_DEVICE_ROOT"); env && *env) {
        return makeAbsolute(env);
    }
    return "/tmp/quorvane-device-" + std::to_string(geteuid());
}

}  // namespace

std::string deviceRoot() {
    std::lock_guard lock(rootMutex());
    auto& root = rootStorage();
    if (root.empty()) root = defaultRoot();
    return root;
}

void setDeviceRoot(std::string_view root) {
    std::string value = root.empty() ? defaultRoot() : makeAbsolute(root);
    std::lock_guard lock(rootMutex());
    rootStorage() = std::move(value);
}

std::string resolveDevicePath(std::string_view phonePath) {
    std::string root = deviceRoot();
    // The root is "/" only when the whole host is the device.
    if (root == "/") return normalisedAbsolute(phonePath);
    std::string path = normalisedAbsolute(phonePath);
    return path == "/" ? root : root + path;
}

bool makeDirectories(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
    auto slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0 && !makeDirectories(path.substr(0, slash))) {
        return false;
    }
    if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) return false;
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool layOutDeviceRoot(std::string* error) {
    for (const char* folder : kStandardDeviceFolders) {
        const std::string path = resolveDevicePath(folder);
        if (makeDirectories(path)) continue;
        if (error) {
            struct stat info {};
            *error = ::stat(path.c_str(), &info) == 0
                         ? "cannot make the device folder " + path + ": something else is there"
                         : "cannot make the device folder " + path + ": " + std::strerror(errno);
        }
        return false;
    }
    return true;
}

}  // namespace base
