#pragma once

#include <concepts>
#include <memory>
#include <string_view>
#include <type_traits>

#include "platform/runtime/MethodList.h"
#include "platform/runtime/Object.h"

namespace runtime::detail {

Class* defineClass(std::string_view name, Class* superclass,
                   std::span<const MethodDescription> methods, Class::Factory factory);

// Registers the runtime class of C++ type T under name, after its base's. Called once per type,
// from the function-local static in T::staticClass().
template <class T>
Class* registerClassFor(std::string_view name) {
    static_assert(std::is_same_v<typename T::RuntimeSelf, T>,
                  "QV_DEFINE_CLASS needs QV_OBJECT(Type, Base) in the class body");
    using Base = typename T::RuntimeBase;
    static_assert(std::is_base_of_v<Object, Base> && std::is_base_of_v<Base, T>,
                  "QV_OBJECT's Base must be the class's runtime base");
    Class* superclass = Base::staticClass();

    MethodList<T> methods;
    // Only a registerMethods taking MethodList<T> is T's own; an inherited one takes the base's
    // list and would copy the base's entries down, hiding replacements made on the base.
    if constexpr (requires(MethodList<T> & m) { T::registerMethods(m); }) {
        T::registerMethods(methods);
    }

    Class::Factory factory = nullptr;
    if constexpr (requires {
                      { T::create() } -> std::convertible_to<std::shared_ptr<T>>;
                  }) {
        factory = []() -> std::shared_ptr<Object> { return std::shared_ptr<T>(T::create()); };
    } else if constexpr (!std::is_abstract_v<T> && std::is_default_constructible_v<T>) {
        factory = []() -> std::shared_ptr<Object> { return std::make_shared<T>(); };
    }
    return defineClass(name, superclass, methods.descriptions(), factory);
}

}  // namespace runtime::detail

#define QV_RUNTIME_CONCAT_INNER(a, b) a##b
#define QV_RUNTIME_CONCAT(a, b) QV_RUNTIME_CONCAT_INNER(a, b)

// In the .cpp file of a class declared with QV_OBJECT, at namespace scope:
//
//     QV_DEFINE_CLASS(View, "UIView");
//
// Defines staticClass() and objectClass() and registers the class, with the methods of the
// type's registerMethods(MethodList<Type>&), when the library loads, so that code loaded later
// finds it by name before any instance exists. If the name is already taken the type still gets
// a working class of its own, which is not found by name (reported once).
//
// Instances made by Class::createInstance() come from a static create() taking no arguments if
// the type has one, otherwise from the default constructor if it is public.
#define QV_DEFINE_CLASS(Type, name)                                                                \
    ::runtime::Class* Type::staticClass() {                                                        \
        static ::runtime::Class* const qv_class = ::runtime::detail::registerClassFor<Type>(name); \
        return qv_class;                                                                           \
    }                                                                                              \
    ::runtime::Class* Type::objectClass() const {                                                  \
        return staticClass();                                                                      \
    }                                                                                              \
    [[maybe_unused]] static ::runtime::Class* const QV_RUNTIME_CONCAT(                             \
        qvClassAtLoad, __COUNTER__) = Type::staticClass()
