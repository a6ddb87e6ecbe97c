#include "platform/substrate/Substrate.h"

#include <cstdio>
#include <mutex>
#include <set>
#include <string>
#include <utility>

namespace substrate {

namespace detail {

namespace {

void reportRefusal(runtime::Class* cls, runtime::SEL sel, const char* why) {
    static std::mutex mutex;
    static auto* reported = new std::set<std::pair<const runtime::Class*, std::string>>();
    const std::string name(sel.name());
    {
        std::lock_guard lock(mutex);
        if (!reported->emplace(cls, name).second) return;
    }
    std::fprintf(stderr, "[substrate] no hook for -[%s %s]: %s\n", cls->name().c_str(),
                 name.c_str(), why);
}

}  // namespace

bool hookable(runtime::Class* cls, runtime::SEL sel, runtime::IMP replacement) {
    // A tweak hooking a class the running system lacks is normal (its rows for the other system
    // generation find nothing), so that refusal is silent. A class without the method usually
    // means a misspelt selector, which is worth one line.
    if (cls == nullptr || !sel || replacement == nullptr) return false;
    if (!cls->instancesRespondTo(sel)) {
        reportRefusal(cls, sel, "the class does not respond to it");
        return false;
    }
    return true;
}

}  // namespace detail

bool hookMessage(runtime::Class* cls, runtime::SEL sel, runtime::IMP replacement,
                 runtime::IMP* previous, runtime::Signature types) {
    return detail::hookable(cls, sel, replacement) &&
           runtime::replaceMethod(cls, sel, replacement, previous, types);
}

}  // namespace substrate

void MSHookMessageEx(runtime::Class* cls, runtime::SEL sel, runtime::IMP replacement,
                     runtime::IMP* previous) {
    substrate::hookMessage(cls, sel, replacement, previous);
}
