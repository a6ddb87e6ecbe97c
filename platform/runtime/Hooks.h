#pragma once

// The runtime's extension points: what code loaded into a process may use to find the process's
// classes, change what their methods do, hang its own state on objects it does not own, and
// refer to objects without keeping them alive.
//
// Classes and look-up
//   Every runtime class is registered by name with its superclass. lookUpClass() answers nullptr
//   for a class the process does not have, which is how loaded code tells which system it runs
//   on. Classes may be registered at any time; registration never changes an existing class.
//
// Methods and replacement
//   A hookable method is one a class dispatches through its method table. The pattern, for a
//   class whose public member sends the message and whose default implementation is registered
//   as the method:
//
//       // Widget.h
//       class Widget : public runtime::Object {
//           QV_OBJECT(Widget, runtime::Object);
//       public:
//           static inline const runtime::Message<void(double)> kSetAlpha{"setAlpha:"};
//           void setAlpha(double alpha) { kSetAlpha.send(this, alpha); }
//           double alpha() const { return alpha_; }
//       private:
//           static void registerMethods(runtime::MethodList<Widget>& methods) {
//               methods.add<&Widget::setAlphaDefault>(kSetAlpha);
//           }
//           void setAlphaDefault(double alpha) { alpha_ = alpha; }
//           double alpha_ = 1.0;
//       };
//       // Widget.cpp
//       QV_DEFINE_CLASS(Widget, "QVWidget");
//
//   A subclass overrides by registering its own member for the same message, and reaches its
//   superclass's implementation (replaced or not) with kSetAlpha.sendSuper(this, alpha). It must
//   not call Widget::setAlpha for that: that member sends the message to the receiver again.
//
//   Code that hooks the method:
//
//       static void (*previousSetAlpha)(runtime::Object*, runtime::SEL, double);
//       static void halfAlpha(runtime::Object* self, runtime::SEL cmd, double alpha) {
//           previousSetAlpha(self, cmd, alpha / 2);
//       }
//       runtime::replaceMethod(runtime::lookUpClass("QVWidget"), Widget::kSetAlpha.selector(),
//                              &halfAlpha, &previousSetAlpha);
//
//   Replacing a method of a class changes what its instances run and what the instances of its
//   subclasses run unless they override it. The call returns the implementation that was in
//   force before (or stores it into the caller's slot before the replacement can run), to be
//   called with the same receiver and selector. A class that only inherits the method gets an
//   entry of its own, so the replacement does not reach its siblings; its previous
//   implementation is the one it inherited at that moment. Replacing twice chains: the second
//   replacement's previous implementation is the first replacement.
//
//   Typed calls check signatures: a replacement or an added override whose signature differs
//   from the method's is refused (reported once), because calling it would be undefined
//   behaviour. Untyped calls (IMP) trust the caller.
//
// Attached values
//   A value attached to an object under a key lives until it is replaced or removed or the
//   object dies; a weakly attached value does not keep the value alive and reads as nullptr once
//   it is gone. Values of an object are released after its destructor body runs.
//
// Weak references
//   std::weak_ptr. weakRef() and retained() turn the receiver of a method (a raw Object*) into a
//   weak or strong reference; both answer empty for an object that is not owned by a
//   std::shared_ptr or is being destroyed, never throwing.
//
// Threads
//   Every function here may be called from any thread. Message sends do not lock on the hot
//   path; replacement takes a write lock and invalidates the affected caches, so it suits load
//   time, not frames. A send racing with a replacement runs either the old or the new
//   implementation.

#include <cstddef>
#include <memory>
#include <span>
#include <string_view>
#include <type_traits>

#include "platform/runtime/AttachKey.h"
#include "platform/runtime/Class.h"
#include "platform/runtime/Imp.h"
#include "platform/runtime/Object.h"
#include "platform/runtime/Selector.h"
#include "platform/runtime/detail/AttachedValues.h"

namespace runtime {

// ---- Classes ---------------------------------------------------------------------------------

// The class registered under name, or nullptr when the process has none.
Class* lookUpClass(std::string_view name);

// Registers a class that has no C++ type of its own (C++ types use QV_DEFINE_CLASS). nullptr
// when the name is empty or taken, the superclass is null, or a method is invalid (null
// selector or implementation, a selector twice, or an override with another signature).
Class* registerClass(std::string_view name, Class* superclass,
                     std::span<const MethodDescription> methods = {},
                     Class::Factory factory = nullptr);

// ---- Methods ---------------------------------------------------------------------------------

namespace detail {
IMP replaceMethod(Class* cls, SEL selector, IMP imp, Signature types, PreviousSink sink,
                  void* context);
}

// What instances of cls run for the selector, or nullptr when they do not respond.
IMP methodImplementation(const Class* cls, SEL selector);

// Adds an implementation to cls. False when cls already defines the selector itself (use
// replaceMethod), when an argument is null, or when types disagrees with an inherited method's.
bool addMethod(Class* cls, SEL selector, IMP imp, Signature types = nullptr);

template <class R, class... A>
bool addMethod(Class* cls, SEL selector, R (*imp)(Object*, SEL, A...)) {
    return addMethod(cls, selector, toImp(imp), signatureOf<R(A...)>());
}

// Replaces what instances of cls run for the selector and returns the previous implementation.
// nullptr means nothing changed: cls, the selector or imp is null, or instances of cls do not
// respond to the selector.
IMP replaceMethod(Class* cls, SEL selector, IMP imp);

// As above, storing the previous implementation into *previousSlot (when not null) before the
// replacement can be reached, so that a replacement racing with its own installation never calls
// through an empty slot; the slot is untouched when nothing changed. A replacement whose
// signature is not types is refused when the method's signature is known (types == nullptr
// checks nothing). True when the replacement was installed.
bool replaceMethod(Class* cls, SEL selector, IMP imp, IMP* previousSlot, Signature types = nullptr);

// The typed forms check the replacement's signature against the method's and refuse (nullptr,
// false) a mismatch.
template <class R, class... A>
bool replaceMethod(Class* cls, SEL selector, R (*imp)(Object*, SEL, A...),
                   R (**previousSlot)(Object*, SEL, A...)) {
    using Slot = R (*)(Object*, SEL, A...);
    PreviousSink sink = [](void* context, IMP previous) {
        if (context != nullptr) *static_cast<Slot*>(context) = impCast<R(A...)>(previous);
    };
    return detail::replaceMethod(cls, selector, toImp(imp), signatureOf<R(A...)>(), sink,
                                 previousSlot) != nullptr;
}

template <class R, class... A>
auto replaceMethod(Class* cls, SEL selector, R (*imp)(Object*, SEL, A...))
    -> R (*)(Object*, SEL, A...) {
    return impCast<R(A...)>(
        detail::replaceMethod(cls, selector, toImp(imp), signatureOf<R(A...)>(), nullptr, nullptr));
}

// ---- Attached values -------------------------------------------------------------------------

enum class AttachPolicy { Strong, Weak };

// Attaches value to owner under key, replacing what was there; a null value removes it. A
// null owner or key does nothing.
template <class T>
void setAttachedValue(Object* owner, const AttachKey& key, std::shared_ptr<T> value,
                      AttachPolicy policy = AttachPolicy::Strong) {
    static_assert(!std::is_const_v<T>, "attach a shared_ptr to a non-const value");
    if (owner == nullptr) return;
    if (value == nullptr) {
        detail::removeAttached(*owner, key);
        return;
    }
    detail::AttachedEntry entry;
    std::shared_ptr<void> erased;
    if constexpr (std::is_base_of_v<Object, T>) {
        erased = std::shared_ptr<Object>(std::move(value));
        entry.isObject = true;
    } else {
        erased = std::move(value);
        entry.type = &typeid(T);
    }
    if (policy == AttachPolicy::Strong) {
        entry.strong = std::move(erased);
    } else {
        entry.weak = erased;
    }
    detail::setAttached(*owner, key, std::move(entry));
}

inline void setAttachedValue(Object* owner, const AttachKey& key, std::nullptr_t) {
    if (owner != nullptr) detail::removeAttached(*owner, key);
}

// The value attached under key, or nullptr when there is none, a weakly attached value has
// died, or the value is not a T. Objects may be read as any class they are a kind of.
template <class T>
std::shared_ptr<T> attachedValue(const Object* owner, const AttachKey& key) {
    if (owner == nullptr) return nullptr;
    detail::AttachedRead read = detail::readAttached(*owner, key);
    if (read.value == nullptr) return nullptr;
    if constexpr (std::is_base_of_v<Object, std::remove_const_t<T>>) {
        if (!read.isObject) return nullptr;
        return std::dynamic_pointer_cast<T>(std::static_pointer_cast<Object>(read.value));
    } else {
        if (read.isObject || *read.type != typeid(std::remove_const_t<T>)) return nullptr;
        return std::static_pointer_cast<T>(read.value);
    }
}

// ---- Weak references -------------------------------------------------------------------------

// A strong reference to object; nullptr when object is null, not owned by a std::shared_ptr, or
// being destroyed.
template <class T>
std::shared_ptr<T> retained(T* object) {
    static_assert(std::is_base_of_v<Object, std::remove_const_t<T>>);
    if (object == nullptr) return nullptr;
    return std::static_pointer_cast<T>(object->weak_from_this().lock());
}

// A weak reference to object; empty in the cases where retained() answers nullptr.
template <class T>
std::weak_ptr<T> weakRef(T* object) {
    return retained(object);
}

}  // namespace runtime
