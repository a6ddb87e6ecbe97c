#include "tweak/LGClockFontCandidates.h"

#include <dlfcn.h>

#include <algorithm>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "platform/base/DeviceRoot.h"
#include "platform/base/RegularFile.h"
#include "support/LGSharedSupport.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kLeadingCandidates[] = {
    "/var/mobile/Velk/字体素材/velk42.otf",
};
constexpr const char* kTrailingCandidates[] = {
    "/opt/simject/PreferenceBundles/QuorvanePrefs.bundle/SFAdaptiveSoftNumeric-VF.otf",
    "/var/jb/Library/PreferenceBundles/QuorvanePrefs.bundle/SFAdaptiveSoftNumeric-VF.otf",
    "/Library/PreferenceBundles/QuorvanePrefs.bundle/SFAdaptiveSoftNumeric-VF.otf",
};
constexpr int kMaxDerivedDirectories = 8;

// Any object of this library will do for asking the dynamic loader where the library lies.
const char kLibraryAnchor = 0;

void addUnique(std::vector<std::string>& list, std::string path) {
    if (std::find(list.begin(), list.end(), path) == list.end()) list.push_back(std::move(path));
}

// The directory part of a path: "/a/b" -> "/a", "/a" -> "/", "/" -> "/", "a" -> "".
std::string parentOf(std::string_view path) {
    while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
    const size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) return {};
    if (slash == 0) return "/";
    return std::string(path.substr(0, slash));
}

// The phone path of a host path inside the device root; nullopt for one outside it. The root is
// tried as given and with its own symbolic links resolved, since a resolved library path has
// lost whatever links the root's path went through.
std::optional<std::string> phonePathOf(const fs::path& hostPath) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(hostPath, ec).lexically_normal();
    if (ec) return std::nullopt;
    const fs::path root = fs::path(base::deviceRoot()).lexically_normal();
    const fs::path canonicalRoot = fs::weakly_canonical(root, ec);
    for (const fs::path& r : {root, ec ? root : canonicalRoot}) {
        const fs::path relative = absolute.lexically_relative(r);
        if (relative.empty() || *relative.begin() == "..") continue;
        if (relative == ".") return std::string("/");
        return "/" + relative.generic_string();
    }
    return std::nullopt;
}

void addDerived(std::vector<std::string>& list, const std::optional<std::string>& libraryPath) {
    if (!libraryPath || libraryPath->empty()) return;
    std::string directory = parentOf(*libraryPath);
    for (int i = 0; i < kMaxDerivedDirectories && directory.size() >= 2; ++i) {
        addUnique(list, directory + kLGClockVariableFontBundleSuffix);
        std::string parent = parentOf(directory);
        if (parent == directory) break;
        directory = std::move(parent);
    }
}

std::string describeList(const std::vector<std::string>& list) {
    std::string text = "(";
    for (size_t i = 0; i < list.size(); ++i) {
        if (i) text += ", ";
        text += '"' + list[i] + '"';
    }
    return text + ")";
}

}  // namespace

std::vector<std::string> LGClockFontCandidatesForLibrary(const std::string& libraryPath) {
    std::vector<std::string> list;
    for (const char* path : kLeadingCandidates) addUnique(list, path);
    if (!libraryPath.empty()) {
        addDerived(list, phonePathOf(libraryPath));
        std::error_code ec;
        const fs::path resolved = fs::canonical(fs::absolute(libraryPath, ec), ec);
        if (!ec) addDerived(list, phonePathOf(resolved));
    }
    for (const char* path : kTrailingCandidates) addUnique(list, path);
    return list;
}

std::vector<std::string> LGClockFontCandidates() {
    Dl_info info{};
    std::string libraryPath;
    if (::dladdr(&kLibraryAnchor, &info) != 0 && info.dli_fname) libraryPath = info.dli_fname;
    return LGClockFontCandidatesForLibrary(libraryPath);
}

std::optional<std::string> LGClockFirstExistingFontPath(
    const std::vector<std::string>& candidates) {
    // Only a regular file can hold the font: a directory (or a FIFO) at an earlier candidate's
    // path must not hide a later candidate that has it.
    for (const std::string& candidate : candidates) {
        if (base::isRegularFile(base::resolveDevicePath(candidate))) return candidate;
    }
    LGLog("clock variable font path not found candidates=%@", describeList(candidates));
    return std::nullopt;
}
