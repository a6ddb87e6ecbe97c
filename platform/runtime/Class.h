#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/runtime/Imp.h"
#include "platform/runtime/Selector.h"
#include "platform/runtime/detail/MethodCache.h"

namespace runtime {

class Object;

namespace detail {
class Registry;
}

// A runtime class: a name, a superclass and a method table.
//
// Classes are created by the registry (registerClass in Hooks.h, or QV_DEFINE_CLASS for a C++
// type) and live until the process ends, so a Class* never dangles. Name, superclass and factory
// never change after registration; the method table changes only through the registry.
//
// Thread safety: everything here may be called from any thread. lookup() is lock-free on a cache
// hit; a miss takes the registry's read lock once and fills this class's cache.
class Class {
  public:
    // Makes a new instance for code that only knows the class by name.
    using Factory = std::shared_ptr<Object> (*)();

    Class(const Class&) = delete;
    Class& operator=(const Class&) = delete;

    const std::string& name() const { return name_; }
    // nullptr only for the root class.
    Class* superclass() const { return superclass_; }

    // True when other is this class or one of its ancestors; false for nullptr.
    bool isSubclassOf(const Class* other) const;
    // The same test by class name, so that it works for classes this code cannot name by type.
    bool isSubclassOf(std::string_view className) const;

    // False for a class that could not take its name because another class already had it; such
    // a class works normally but is not found by name.
    bool isListed() const { return listed_; }

    // A new instance, or nullptr when the class has no factory (it is abstract or its instances
    // need arguments).
    std::shared_ptr<Object> createInstance() const;

    // The implementation the class's instances run for the selector, searching the superclass
    // chain; {nullptr, nullptr} when they do not respond.
    MethodImp lookup(SEL selector) const {
        const detail::MethodCache* cache = cache_.load(std::memory_order_acquire);
        if (const detail::CacheSlot* slot = cache->find(selector.identity())) {
            return {slot->imp, slot->types};
        }
        return lookupUncached(selector);
    }

    bool instancesRespondTo(SEL selector) const { return lookup(selector).imp != nullptr; }
    // True when this class itself (not an ancestor) holds an entry for the selector.
    bool definesMethod(SEL selector) const;

    // The listed class with that name, or nullptr when the process has none.
    static Class* named(std::string_view name);

  private:
    friend class detail::Registry;

    Class(std::string name, Class* superclass, Factory factory, bool listed);

    MethodImp lookupUncached(SEL selector) const;

    const std::string name_;
    Class* const superclass_;
    const Factory factory_;
    const bool listed_;
    // Written only under the registry's write lock; read under its read lock.
    std::unordered_map<const detail::SelectorName*, MethodImp> methods_;
    mutable std::atomic<detail::MethodCache*> cache_;
};

}  // namespace runtime
