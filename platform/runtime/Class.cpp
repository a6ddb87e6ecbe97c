#include "platform/runtime/Class.h"

#include "platform/runtime/detail/Registry.h"

namespace runtime {

Class::Class(std::string name, Class* superclass, Factory factory, bool listed)
    : name_(std::move(name)),
      superclass_(superclass),
      factory_(factory),
      listed_(listed),
      cache_(detail::MethodCache::empty()) {}

bool Class::isSubclassOf(const Class* other) const {
    if (other == nullptr) return false;
    for (const Class* c = this; c != nullptr; c = c->superclass_) {
        if (c == other) return true;
    }
    return false;
}

bool Class::isSubclassOf(std::string_view className) const {
    for (const Class* c = this; c != nullptr; c = c->superclass_) {
        if (c->name_ == className) return true;
    }
    return false;
}

std::shared_ptr<Object> Class::createInstance() const {
    return factory_ != nullptr ? factory_() : nullptr;
}

bool Class::definesMethod(SEL selector) const {
    return detail::Registry::shared().definesMethod(*this, selector);
}

Class* Class::named(std::string_view name) {
    return detail::Registry::shared().find(name);
}

MethodImp Class::lookupUncached(SEL selector) const {
    return detail::Registry::shared().lookupAndCache(*this, selector);
}

}  // namespace runtime
