#include "hosts/settings/PreferenceBundle.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <vector>

#include "platform/base/DeviceRoot.h"
#include "platform/base/PropertyList.h"
#include "platform/runtime/Runtime.h"
#include "platform/ui/ViewController.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxInfoBytes = 1 << 20;
constexpr std::size_t kMaxNameBytes = 256;

// The bytes of a regular file of at most `limit` bytes; false with `why` set otherwise.
bool readRegularFile(const std::string& path, std::size_t limit, std::vector<std::uint8_t>& out,
                     std::string& why) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        why = "has no Info.plist";
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        why = "its Info.plist is not a regular file";
        return false;
    }
    if (std::size_t(st.st_size) > limit) {
        ::close(fd);
        why = "its Info.plist is larger than 1 MiB";
        return false;
    }
    out.resize(std::size_t(st.st_size));
    std::size_t got = 0;
    while (got < out.size()) {
        const ssize_t n = ::read(fd, out.data() + got, out.size() - got);
        if (n <= 0) break;
        got += std::size_t(n);
    }
    ::close(fd);
    out.resize(got);
    return true;
}

bool isPlainFileName(const std::string& name) {
    return !name.empty() && name.size() <= kMaxNameBytes && name != "." && name != ".." &&
           name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

std::string stringFor(const base::PlistPtr& info, const char* key) {
    const base::PlistPtr value = info ? info->objectForKey(key) : nullptr;
    return value && value->isString() ? value->stringValue() : std::string();
}

PreferenceBundle describe(const fs::path& folder) {
    PreferenceBundle b;
    b.path = folder.string();
    b.name = folder.stem().string();
    std::vector<std::uint8_t> bytes;
    std::string why;
    if (!readRegularFile(b.path + "/Info.plist", kMaxInfoBytes, bytes, why)) {
        b.problem = why;
        return b;
    }
    const base::PlistPtr info = base::PlistValue::parse(bytes);
    if (!info || !info->isDictionary()) {
        b.problem = "its Info.plist is not a property-list dictionary";
        return b;
    }
    b.executable = stringFor(info, "CFBundleExecutable");
    b.principalClass = stringFor(info, "NSPrincipalClass");
    if (!isPlainFileName(b.executable)) {
        b.problem = "its Info.plist names no plain CFBundleExecutable";
    } else if (b.principalClass.empty() || b.principalClass.size() > kMaxNameBytes) {
        b.problem = "its Info.plist names no NSPrincipalClass";
    }
    return b;
}

// Loaded executables by path: they stay loaded for the life of the process, as their classes
// stay registered.
std::map<std::string, void*>& loaded() {
    static auto* const map = new std::map<std::string, void*>();
    return *map;
}

}  // namespace

std::vector<PreferenceBundle> findPreferenceBundles() {
    std::vector<PreferenceBundle> out;
    const fs::path folder = base::resolveDevicePath("/var/jb/Library/PreferenceBundles");
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return out;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path& p = it->path();
        if (p.extension() != ".bundle" || !it->is_directory(ec)) continue;
        out.push_back(describe(p));
    }
    std::sort(out.begin(), out.end(),
              [](const PreferenceBundle& a, const PreferenceBundle& b) { return a.name < b.name; });
    return out;
}

std::shared_ptr<ui::ViewController> openPreferenceBundle(const PreferenceBundle& bundle,
                                                         std::string& error) {
    if (!bundle.problem.empty()) {
        error = bundle.problem;
        return nullptr;
    }
    const std::string executable = bundle.path + "/" + bundle.executable;
    struct stat st {};
    if (::stat(executable.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        error = "its executable " + bundle.executable + " is missing or not a regular file";
        return nullptr;
    }
    if (!loaded().count(executable)) {
        void* handle = ::dlopen(executable.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            const char* why = ::dlerror();
            error = std::string("its executable does not load: ") + (why ? why : "unknown reason");
            return nullptr;
        }
        loaded()[executable] = handle;
    }
    runtime::Class* cls = runtime::lookUpClass(bundle.principalClass);
    if (cls == nullptr) {
        error = "its principal class " + bundle.principalClass + " does not exist";
        return nullptr;
    }
    if (!cls->isSubclassOf(ui::ViewController::staticClass())) {
        error = "its principal class " + bundle.principalClass + " is not a view controller";
        return nullptr;
    }
    auto controller = std::dynamic_pointer_cast<ui::ViewController>(cls->createInstance());
    if (!controller) {
        error = "its principal class " + bundle.principalClass + " cannot be made";
        return nullptr;
    }
    return controller;
}
