#include "platform/base/ProcessInfo.h"

#include <charconv>
#include <cstdlib>
#include <mutex>

namespace base {

namespace {

constexpr OperatingSystemVersion kDefaultVersion{17, 0, 0};

struct ProcessFacts {
    std::mutex mutex;
    std::string bundleIdentifier;
    std::optional<OperatingSystemVersion> version;
};

ProcessFacts& facts() {
    static ProcessFacts instance;
    return instance;
}

}  // namespace

std::string mainBundleIdentifier() {
    auto& f = facts();
    std::lock_guard lock(f.mutex);
    return f.bundleIdentifier;
}

void setMainBundleIdentifier(std::string_view identifier) {
    auto& f = facts();
    std::lock_guard lock(f.mutex);
    f.bundleIdentifier = std::string(identifier);
}

OperatingSystemVersion operatingSystemVersion() {
    auto& f = facts();
    std::lock_guard lock(f.mutex);
    if (!f.version) {
        const char* env = std::getenv("QUORVANE_SYSTEM_VERSION");
        auto parsed = env ? parseOperatingSystemVersion(env) : std::nullopt;
        f.version = parsed.value_or(kDefaultVersion);
    }
    return *f.version;
}

void setOperatingSystemVersion(OperatingSystemVersion version) {
    auto& f = facts();
    std::lock_guard lock(f.mutex);
    f.version = version;
}

bool isOperatingSystemAtLeastVersion(OperatingSystemVersion version) {
    return operatingSystemVersion() >= version;
}

std::optional<OperatingSystemVersion> parseOperatingSystemVersion(std::string_view text) {
    int parts[3] = {0, 0, 0};
    int count = 0;
    const char* p = text.data();
    const char* end = text.data() + text.size();
    while (count < 3) {
        auto [next, ec] = std::from_chars(p, end, parts[count]);
        if (ec != std::errc() || parts[count] < 0) return std::nullopt;
        ++count;
        p = next;
        if (p == end) break;
        if (*p != '.') return std::nullopt;
        ++p;
    }
    if (p != end || count == 0) return std::nullopt;
    return OperatingSystemVersion{parts[0], parts[1], parts[2]};
}

}  // namespace base
