#pragma once

#include "platform/runtime/Hooks.h"

// Installs a replacement for the length of a test and puts the previous implementation back
// afterwards, so tests sharing a process do not see each other's hooks.
class ScopedReplacement {
  public:
    template <class R, class... A>
    ScopedReplacement(runtime::Class* cls, runtime::SEL selector,
                      R (*replacement)(runtime::Object*, runtime::SEL, A...),
                      R (**previousSlot)(runtime::Object*, runtime::SEL, A...))
        : cls_(cls), selector_(selector) {
        installed_ = runtime::replaceMethod(cls, selector, replacement, previousSlot);
        if (installed_) previous_ = runtime::toImp(*previousSlot);
    }
    ~ScopedReplacement() {
        if (installed_) runtime::replaceMethod(cls_, selector_, previous_);
    }
    ScopedReplacement(const ScopedReplacement&) = delete;
    ScopedReplacement& operator=(const ScopedReplacement&) = delete;

    bool installed() const { return installed_; }

  private:
    runtime::Class* cls_;
    runtime::SEL selector_;
    runtime::IMP previous_ = nullptr;
    bool installed_ = false;
};
