#include "platform/runtime/Object.h"

#include "platform/runtime/detail/AttachedValues.h"
#include "platform/runtime/detail/Registry.h"

namespace runtime {

Object::Object() = default;

Object::~Object() {
    // Attached values die with their owner. They are released here, after every derived
    // destructor has run, and without any lock held: a value's own destructor may release other
    // objects, which take their own locks.
    std::unique_ptr<detail::AttachedValues> values = std::move(attached_);
    values.reset();
}

Class* Object::staticClass() {
    static Class* const cls = detail::Registry::shared().defineClass(
        "NSObject", nullptr, {}, [] { return std::make_shared<Object>(); });
    return cls;
}

Class* Object::objectClass() const {
    return staticClass();
}

namespace {
// Registered when the library loads, like every class, so that look-up by name finds it at once.
[[maybe_unused]] Class* const rootClassAtLoad = Object::staticClass();
}  // namespace

}  // namespace runtime
