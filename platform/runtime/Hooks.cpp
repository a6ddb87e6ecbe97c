#include "platform/runtime/Hooks.h"

#include "platform/runtime/detail/Registry.h"

namespace runtime {

Class* lookUpClass(std::string_view name) {
    return detail::Registry::shared().find(name);
}

Class* registerClass(std::string_view name, Class* superclass,
                     std::span<const MethodDescription> methods, Class::Factory factory) {
    if (superclass == nullptr) return nullptr;
    return detail::Registry::shared().registerClass(name, superclass, methods, factory);
}

IMP methodImplementation(const Class* cls, SEL selector) {
    return cls != nullptr ? cls->lookup(selector).imp : nullptr;
}

bool addMethod(Class* cls, SEL selector, IMP imp, Signature types) {
    return detail::Registry::shared().addMethod(cls, {selector, imp, types});
}

IMP replaceMethod(Class* cls, SEL selector, IMP imp) {
    return detail::replaceMethod(cls, selector, imp, nullptr, nullptr, nullptr);
}

bool replaceMethod(Class* cls, SEL selector, IMP imp, IMP* previousSlot, Signature types) {
    PreviousSink sink = [](void* context, IMP previous) {
        if (context != nullptr) *static_cast<IMP*>(context) = previous;
    };
    return detail::replaceMethod(cls, selector, imp, types, sink, previousSlot) != nullptr;
}

namespace detail {

IMP replaceMethod(Class* cls, SEL selector, IMP imp, Signature types, PreviousSink sink,
                  void* context) {
    return Registry::shared().replaceMethod(cls, selector, imp, types, sink, context);
}

Class* defineClass(std::string_view name, Class* superclass,
                   std::span<const MethodDescription> methods, Class::Factory factory) {
    return Registry::shared().defineClass(name, superclass, methods, factory);
}

}  // namespace detail

}  // namespace runtime
