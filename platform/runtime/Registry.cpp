#include "platform/runtime/detail/Registry.h"

#include <unordered_set>

#include "platform/runtime/detail/Diagnostics.h"

namespace runtime::detail {

namespace {

// A fresh cache starts with room for a typical view's hot messages before it must grow.
constexpr std::size_t kInitialCacheCapacity = 16;

std::string describe(const Class* cls, SEL selector) {
    return "-[" + (cls != nullptr ? cls->name() : std::string("nil")) + " " +
           std::string(selector.name()) + "]";
}

}  // namespace

Registry& Registry::shared() {
    // Leaked on purpose: classes are reached from static destructors and other threads until
    // the process is gone, and a Class* must never dangle.
    static auto* registry = new Registry();
    return *registry;
}

const MethodImp* Registry::findInChain(const Class* cls, const SelectorName* selector) {
    for (const Class* c = cls; c != nullptr; c = c->superclass_) {
        if (auto it = c->methods_.find(selector); it != c->methods_.end()) return &it->second;
    }
    return nullptr;
}

bool Registry::validMethods(const Class* superclass, std::span<const MethodDescription> methods) {
    std::unordered_set<const SelectorName*> seen;
    for (const MethodDescription& m : methods) {
        if (!m.selector || m.imp == nullptr) return false;
        if (!seen.insert(m.selector.identity()).second) return false;
        // An override must take and return what callers of the inherited method pass and expect.
        const MethodImp* inherited = findInChain(superclass, m.selector.identity());
        if (inherited != nullptr && inherited->types != nullptr && m.types != nullptr &&
            inherited->types != m.types) {
            reportOnce("class registration refused: " + describe(superclass, m.selector) +
                       " is overridden with another signature");
            return false;
        }
    }
    return true;
}

Class* Registry::makeClass(std::string_view name, Class* superclass,
                           std::span<const MethodDescription> methods, Class::Factory factory,
                           bool listed) {
    std::unique_ptr<Class> cls(new Class(std::string(name), superclass, factory, listed));
    for (const MethodDescription& m : methods) {
        cls->methods_.emplace(m.selector.identity(), MethodImp{m.imp, m.types});
    }
    Class* result = cls.get();
    classes_.push_back(std::move(cls));
    if (listed) byName_.emplace(std::string(name), result);
    return result;
}

Class* Registry::registerClass(std::string_view name, Class* superclass,
                               std::span<const MethodDescription> methods, Class::Factory factory) {
    if (name.empty()) return nullptr;
    std::unique_lock lock(mutex_);
    if (byName_.find(name) != byName_.end()) return nullptr;
    if (!validMethods(superclass, methods)) return nullptr;
    return makeClass(name, superclass, methods, factory, true);
}

Class* Registry::defineClass(std::string_view name, Class* superclass,
                             std::span<const MethodDescription> methods, Class::Factory factory) {
    std::unique_lock lock(mutex_);
    if (!validMethods(superclass, methods)) {
        // The type's methods cannot be trusted; its instances behave as their superclass's.
        methods = {};
    }
    const bool listed = !name.empty() && byName_.find(name) == byName_.end();
    if (!listed) {
        reportOnce("class \"" + std::string(name) +
                   "\" is defined twice; the later definition is not found by name");
    }
    return makeClass(name, superclass, methods, factory, listed);
}

Class* Registry::find(std::string_view name) {
    std::shared_lock lock(mutex_);
    auto it = byName_.find(name);
    return it != byName_.end() ? it->second : nullptr;
}

bool Registry::definesMethod(const Class& cls, SEL selector) {
    std::shared_lock lock(mutex_);
    return cls.methods_.find(selector.identity()) != cls.methods_.end();
}

MethodImp Registry::lookupAndCache(const Class& cls, SEL selector) {
    if (!selector) return {};
    std::shared_lock lock(mutex_);
    MethodImp found;
    if (const MethodImp* m = findInChain(&cls, selector.identity())) found = *m;

    // Negative answers are cached too; adding the method later flushes them.
    std::lock_guard fill(fillMutex_);
    MethodCache* cache = cls.cache_.load(std::memory_order_relaxed);
    if (cache == MethodCache::empty()) {
        auto fresh = std::make_unique<MethodCache>(kInitialCacheCapacity);
        fresh->insert(selector.identity(), found);
        cls.cache_.store(fresh.release(), std::memory_order_release);
    } else if (!cache->insert(selector.identity(), found)) {
        auto bigger = cache->grown();
        bigger->insert(selector.identity(), found);
        cls.cache_.store(bigger.release(), std::memory_order_release);
        retire(cache);
    }
    return found;
}

bool Registry::addMethod(Class* cls, const MethodDescription& method) {
    if (cls == nullptr || !method.selector || method.imp == nullptr) return false;
    std::unique_lock lock(mutex_);
    const SelectorName* selector = method.selector.identity();
    if (cls->methods_.find(selector) != cls->methods_.end()) return false;
    const MethodImp* inherited = findInChain(cls->superclass_, selector);
    if (inherited != nullptr && inherited->types != nullptr && method.types != nullptr &&
        inherited->types != method.types) {
        reportOnce("addMethod refused: " + describe(cls, method.selector) +
                   " would override with another signature");
        return false;
    }
    const Signature types =
        method.types != nullptr ? method.types : (inherited ? inherited->types : nullptr);
    cls->methods_.emplace(selector, MethodImp{method.imp, types});
    flushCaches(cls);
    return true;
}

IMP Registry::replaceMethod(Class* cls, SEL selector, IMP imp, Signature types, PreviousSink sink,
                            void* context) {
    if (cls == nullptr || !selector || imp == nullptr) return nullptr;
    std::unique_lock lock(mutex_);
    const SelectorName* name = selector.identity();
    const MethodImp* current = findInChain(cls, name);
    if (current == nullptr) return nullptr;
    if (types != nullptr && current->types != nullptr && current->types != types) {
        reportOnce("replaceMethod refused: " + describe(cls, selector) +
                   " has another signature than the replacement");
        return nullptr;
    }
    const MethodImp previous = *current;
    // The caller's slot is filled while no send can resolve to the replacement yet, so a
    // replacement never calls through an empty slot.
    if (sink != nullptr) sink(context, previous.imp);
    // A class that only inherits the method gets its own entry, so the replacement reaches this
    // class and its subclasses but not the ancestor's other descendants. Its previous
    // implementation is the one inherited now.
    MethodImp& entry = cls->methods_[name];
    entry.imp = imp;
    entry.types = previous.types != nullptr ? previous.types : types;
    flushCaches(cls);
    return previous.imp;
}

void Registry::flushCaches(const Class* changed) {
    for (const std::unique_ptr<Class>& c : classes_) {
        if (!c->isSubclassOf(changed)) continue;
        MethodCache* cache = c->cache_.load(std::memory_order_relaxed);
        if (cache == MethodCache::empty()) continue;
        c->cache_.store(MethodCache::empty(), std::memory_order_release);
        retire(cache);
    }
}

void Registry::retire(MethodCache* cache) {
    if (cache != MethodCache::empty()) retired_.emplace_back(cache);
}

}  // namespace runtime::detail
