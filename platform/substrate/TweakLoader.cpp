#include "platform/substrate/TweakLoader.h"

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

#include "platform/base/DeviceRoot.h"
#include "platform/base/PropertyList.h"

namespace substrate {

namespace {

constexpr std::size_t kMaxFilterBytes = 64 * 1024;
constexpr std::string_view kLibrarySuffix = ".so";

// The filter file's bytes, or nullopt with `reason` set. Opened without blocking so that a FIFO
// put there cannot stall the process's start, and only read when it is a regular file.
std::optional<std::vector<uint8_t>> readFilterFile(const std::string& path, std::string& reason) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        reason = errno == ENOENT
                     ? "it has no filter (" + path + ")"
                     : "its filter cannot be opened: " + std::string(std::strerror(errno));
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        reason = "its filter is not a regular file";
        return std::nullopt;
    }
    if (std::size_t(info.st_size) > kMaxFilterBytes) {
        ::close(fd);
        reason = "its filter is larger than 64 KiB";
        return std::nullopt;
    }
    std::vector<uint8_t> bytes(std::size_t(info.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += std::size_t(n);
    }
    ::close(fd);
    bytes.resize(done);
    return bytes;
}

bool listNames(const base::PlistPtr& list, std::string_view wanted, std::string& reason,
               const char* key) {
    if (!list->isArray()) {
        reason = std::string("its filter's ") + key + " is not an array";
        return false;
    }
    for (const auto& entry : list->arrayValue()) {
        if (!entry || !entry->isString()) {
            reason = std::string("its filter's ") + key + " holds a value that is not a string";
            return false;
        }
    }
    if (wanted.empty()) return false;
    return std::any_of(list->arrayValue().begin(), list->arrayValue().end(),
                       [&](const base::PlistPtr& entry) { return entry->stringValue() == wanted; });
}

enum class FilterAnswer { Match, NoMatch, Invalid };

FilterAnswer evaluateFilter(const std::vector<uint8_t>& bytes, std::string_view bundleIdentifier,
                            std::string_view executableName, std::string& reason) {
    const base::PlistPtr root = base::PlistValue::parse(bytes);
    if (!root) {
        reason = "its filter is not a property list";
        return FilterAnswer::Invalid;
    }
    const base::PlistPtr filter = root->objectForKey("Filter");
    if (!filter || !filter->isDictionary()) {
        reason = "its filter has no Filter dictionary";
        return FilterAnswer::Invalid;
    }
    const base::PlistPtr bundles = filter->objectForKey("Bundles");
    const base::PlistPtr executables = filter->objectForKey("Executables");
    if (!bundles && !executables) {
        reason = "its filter names neither Bundles nor Executables";
        return FilterAnswer::Invalid;
    }
    bool match = false;
    if (bundles) {
        match = listNames(bundles, bundleIdentifier, reason, "Bundles") || match;
        if (!reason.empty()) return FilterAnswer::Invalid;
    }
    if (executables) {
        match = listNames(executables, executableName, reason, "Executables") || match;
        if (!reason.empty()) return FilterAnswer::Invalid;
    }
    return match ? FilterAnswer::Match : FilterAnswer::NoMatch;
}

std::vector<std::string> libraryNames(const std::string& directory) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(directory.c_str());
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() > kLibrarySuffix.size() && name.ends_with(kLibrarySuffix)) {
            names.push_back(name);
        }
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

std::string tweakDirectory() {
    return base::resolveDevicePath("/var/jb/Library/MobileSubstrate/DynamicLibraries");
}

std::vector<TweakLoadResult> loadTweaks(std::string_view bundleIdentifier,
                                        std::string_view executableName) {
    std::vector<TweakLoadResult> results;
    const std::string directory = tweakDirectory();
    for (const std::string& name : libraryNames(directory)) {
        TweakLoadResult result;
        result.name = name;
        result.path = directory + "/" + name;
        const std::string stem = name.substr(0, name.size() - kLibrarySuffix.size());

        struct stat info {};
        if (::stat(result.path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
            result.reason = "it is not a regular file";
        } else if (auto filter = readFilterFile(directory + "/" + stem + ".plist", result.reason)) {
            switch (evaluateFilter(*filter, bundleIdentifier, executableName, result.reason)) {
                case FilterAnswer::NoMatch:
                    result.outcome = TweakLoadResult::Outcome::NotForThisProcess;
                    break;
                case FilterAnswer::Invalid:
                    break;
                case FilterAnswer::Match:
                    // RTLD_NOW: a library with unresolved symbols fails here, with a reason,
                    // rather than crashing the process at the first call.
                    if (::dlopen(result.path.c_str(), RTLD_NOW | RTLD_GLOBAL) != nullptr) {
                        result.outcome = TweakLoadResult::Outcome::Loaded;
                    } else {
                        const char* error = ::dlerror();
                        result.reason =
                            std::string("it failed to load: ") + (error ? error : "unknown error");
                    }
                    break;
            }
        }
        if (result.outcome == TweakLoadResult::Outcome::Skipped) {
            std::fprintf(stderr, "substrate: skipping %s: %s\n", name.c_str(),
                         result.reason.c_str());
        }
        results.push_back(std::move(result));
    }
    return results;
}

}  // namespace substrate
