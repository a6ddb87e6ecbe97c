// The tweak's entry: libQuorvane.so has no main function. The hooking framework's loader opens
// it in every process its filter names, and its load-time initialisers run then.
#include "support/LGSharedSupport.h"

namespace {

// The load trace: captures the host's bundle identifier for the life of the process.
__attribute__((constructor(101))) void LGTweakLoadTrace() {
    LGTrace("Quorvane loaded in %@", LGHostBundleIdentifier());
}

}  // namespace
