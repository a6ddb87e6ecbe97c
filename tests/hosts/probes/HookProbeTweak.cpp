// A tweak for the home-screen host's tests: its initialiser reports the process it was loaded
// into and hooks the modern clock's layoutSubviews, which reports the first time it fires.
#include <cstdio>

#include "platform/base/ProcessInfo.h"
#include "platform/substrate/Substrate.h"

namespace {

void (*previousLayoutSubviews)(runtime::Object*, runtime::SEL) = nullptr;

void probeLayoutSubviews(runtime::Object* self, runtime::SEL sel) {
    previousLayoutSubviews(self, sel);
    static bool reported = false;
    if (!reported) {
        reported = true;
        std::fprintf(stderr, "probe: %s layoutSubviews hooked\n", self->className().c_str());
    }
}

__attribute__((constructor)) void probeLoaded() {
    std::fprintf(stderr, "probe: loaded in %s\n", base::mainBundleIdentifier().c_str());
    MSHookMessageEx(runtime::lookUpClass("CSProminentTimeView"),
                    runtime::Selector::named("layoutSubviews"), &probeLayoutSubviews,
                    &previousLayoutSubviews);
}

}  // namespace
