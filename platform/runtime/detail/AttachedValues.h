#pragma once

#include <map>
#include <memory>
#include <typeinfo>

#include "platform/runtime/AttachKey.h"
#include "platform/runtime/Object.h"

namespace runtime::detail {

// One attached value with its type erased. Exactly one of strong and weak is set.
struct AttachedEntry {
    std::shared_ptr<void> strong;
    std::weak_ptr<void> weak;
    // The stored pointer's static type; for objects, the pointer is an Object* and typed reads
    // cast within the class tree instead.
    const std::type_info* type = nullptr;
    bool isObject = false;
};

// What a read finds: a strong reference for the caller (null when absent or expired).
struct AttachedRead {
    std::shared_ptr<void> value;
    const std::type_info* type = nullptr;
    bool isObject = false;
};

class AttachedValues {
  public:
    std::map<AttachKey, AttachedEntry> entries;
};

struct AttachedValuesAccess {
    static std::unique_ptr<AttachedValues>& of(Object& owner) { return owner.attached_; }
    static const std::unique_ptr<AttachedValues>& of(const Object& owner) {
        return owner.attached_;
    }
};

// Stores or replaces a value; removeAttached drops it. A displaced value is released after the
// object's lock is dropped, because its destructor may reach other objects' values.
void setAttached(Object& owner, const AttachKey& key, AttachedEntry entry);
void removeAttached(Object& owner, const AttachKey& key);
AttachedRead readAttached(const Object& owner, const AttachKey& key);

}  // namespace runtime::detail
