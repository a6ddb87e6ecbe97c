#include <mutex>

#include "platform/base/ProcessInfo.h"
#include "support/LGSharedSupport.h"
#include "support/detail/LGSupportState.h"

namespace {

struct ProcessFacts {
    std::mutex mutex;
    bool haveIdentifier = false;
    std::string identifier;
    bool haveModern = false;
    bool modern = false;
};

ProcessFacts& facts() {
    static ProcessFacts* instance = new ProcessFacts();
    return *instance;
}

}  // namespace

std::string LGHostBundleIdentifier() {
    auto& f = facts();
    std::lock_guard lock(f.mutex);
    if (!f.haveIdentifier) {
        f.identifier = base::mainBundleIdentifier();
        f.haveIdentifier = true;
    }
    return f.identifier;
}

bool LGIsSpringBoard() {
    return LGHostBundleIdentifier() == "com.apple.springboard";
}

bool LGIsModernSystem() {
    auto& f = facts();
    std::lock_guard lock(f.mutex);
    if (!f.haveModern) {
        f.modern = base::isOperatingSystemAtLeastVersion({16, 0, 0});
        f.haveModern = true;
    }
    return f.modern;
}

namespace lg::detail {

void resetProcessFactsForTesting() {
    auto& f = facts();
    std::lock_guard lock(f.mutex);
    f.haveIdentifier = false;
    f.haveModern = false;
}

}  // namespace lg::detail
