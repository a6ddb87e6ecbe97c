#include "platform/runtime/detail/Diagnostics.h"

#include <cstdio>
#include <mutex>
#include <unordered_set>

namespace runtime::detail {

void reportOnce(const std::string& message) {
    static std::mutex mutex;
    static auto* reported = new std::unordered_set<std::string>();
    {
        std::lock_guard lock(mutex);
        if (!reported->insert(message).second) return;
    }
    std::fprintf(stderr, "[runtime] %s\n", message.c_str());
}

}  // namespace runtime::detail
