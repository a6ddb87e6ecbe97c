#pragma once

#include <memory>
#include <mutex>
#include <shared_mutex>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/runtime/Class.h"

namespace runtime::detail {

// The process's classes and the only writer of their method tables and caches.
//
// Locking: mutex_ is a reader/writer lock over the set of classes and every method table.
// Lookups that miss a cache take it shared, and also take fillMutex_ while they write a cache,
// so a cache is never filled from a method table that a writer is changing. Writers take mutex_
// exclusively and flush the caches that could hold what they changed. A cache hit takes no lock.
class Registry {
  public:
    static Registry& shared();

    // Registers a listed class; nullptr when the name is empty or taken, or a method is invalid.
    Class* registerClass(std::string_view name, Class* superclass,
                         std::span<const MethodDescription> methods, Class::Factory factory);
    // For a C++ type: a listed class when the name is free, otherwise an unlisted one so that
    // the type's instances still dispatch to its own methods. Never nullptr.
    Class* defineClass(std::string_view name, Class* superclass,
                       std::span<const MethodDescription> methods, Class::Factory factory);

    Class* find(std::string_view name);

    MethodImp lookupAndCache(const Class& cls, SEL selector);
    bool definesMethod(const Class& cls, SEL selector);

    // Fails when cls already defines the selector itself, or when a known signature disagrees.
    bool addMethod(Class* cls, const MethodDescription& method);
    // Replaces what instances of cls run for the selector and returns what they ran before;
    // nullptr when nothing changed. types == nullptr skips the signature check. sink, when
    // given, receives the previous implementation before the replacement can be reached.
    IMP replaceMethod(Class* cls, SEL selector, IMP imp, Signature types, PreviousSink sink,
                      void* context);

  private:
    Registry() = default;

    Class* makeClass(std::string_view name, Class* superclass,
                     std::span<const MethodDescription> methods, Class::Factory factory,
                     bool listed);
    static bool validMethods(const Class* superclass, std::span<const MethodDescription> methods);
    static const MethodImp* findInChain(const Class* cls, const SelectorName* selector);
    void flushCaches(const Class* changed);
    void retire(MethodCache* cache);

    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const {
            return std::hash<std::string_view>{}(s);
        }
    };

    std::shared_mutex mutex_;
    std::mutex fillMutex_;
    std::unordered_map<std::string, Class*, NameHash, std::equal_to<>> byName_;
    std::vector<std::unique_ptr<Class>> classes_;
    // Tables that readers may still be probing; kept until the process ends.
    std::vector<std::unique_ptr<MethodCache>> retired_;
};

}  // namespace runtime::detail
