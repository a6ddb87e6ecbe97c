#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/runtime/Class.h"
#include "platform/runtime/Selector.h"

namespace runtime {

namespace detail {
class AttachedValues;
struct AttachedValuesAccess;
template <class T>
Class* registerClassFor(std::string_view name);
}  // namespace detail

// The root of every runtime object (runtime class "NSObject").
//
// Objects are owned through std::shared_ptr (create them with std::make_shared or a factory that
// does) and referred to weakly through std::weak_ptr. A C++ subclass declares its runtime class
// with QV_OBJECT in the class body and QV_DEFINE_CLASS in its .cpp file (see
// platform/runtime/ClassDefinition.h); a subclass without them answers as its nearest declared
// ancestor.
class Object : public std::enable_shared_from_this<Object> {
  public:
    using RuntimeSelf = Object;

    Object();
    virtual ~Object();
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    static Class* staticClass();
    // The runtime class of the object's most derived declared type. During a destructor it is the
    // class of the destructor's type, as virtual calls are in C++.
    virtual Class* objectClass() const;

    const std::string& className() const { return objectClass()->name(); }
    bool isKindOfClass(const Class* cls) const { return objectClass()->isSubclassOf(cls); }
    bool isKindOfClass(std::string_view className) const {
        return objectClass()->isSubclassOf(className);
    }
    bool isMemberOfClass(const Class* cls) const { return objectClass() == cls; }
    bool respondsToSelector(SEL selector) const {
        return objectClass()->instancesRespondTo(selector);
    }

  private:
    friend struct detail::AttachedValuesAccess;

    // Created on first use; guarded by a lock striped on the object's address.
    std::unique_ptr<detail::AttachedValues> attached_;
};

}  // namespace runtime

// In the body of a C++ subclass of runtime::Object (directly or through another declared class):
//
//     class View : public runtime::Object {
//         QV_OBJECT(View, runtime::Object);
//     public:
//         ...
//     };
//
// Type is the class's own unqualified name, Base its direct base. It declares staticClass() and
// overrides objectClass(); QV_DEFINE_CLASS in the .cpp defines both. The macro leaves the class
// in private access. Methods the class registers come from a static
// registerMethods(runtime::MethodList<Type>&), which may be private (see MethodList.h).
#define QV_OBJECT(Type, Base)                       \
  public:                                           \
    using RuntimeSelf = Type;                       \
    using RuntimeBase = Base;                       \
    static ::runtime::Class* staticClass();         \
    ::runtime::Class* objectClass() const override; \
                                                    \
  private:                                          \
    template <class QvRegisteredType>               \
    friend ::runtime::Class* ::runtime::detail::registerClassFor(std::string_view)
