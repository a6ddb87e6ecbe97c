#pragma once

#include <type_traits>
#include <utility>

#include "platform/runtime/Class.h"
#include "platform/runtime/Imp.h"
#include "platform/runtime/Object.h"
#include "platform/runtime/Selector.h"

// Sending messages: calls that resolve through the receiver's method table, so that a
// replacement installed on a class (see Hooks.h) takes effect for its instances and for the
// instances of subclasses that do not override the method.
//
// A message that cannot be delivered does nothing and returns a value-initialised result: the
// receiver is null, its class does not respond, or the implementation was registered with
// another signature than the caller's (calling it would be undefined behaviour). The latter two
// are reported once on standard error.
//
// The cost of a send is a virtual call for the receiver's class, a lock-free probe of that
// class's cache and an indirect call.

namespace runtime {

namespace detail {

template <class R>
R emptyResult() {
    if constexpr (!std::is_void_v<R>) {
        static_assert(std::is_default_constructible_v<R>,
                      "a message's result must be default-constructible: an undeliverable "
                      "message returns R{}");
        return R{};
    }
}

void reportUndelivered(const Class* cls, SEL selector, MethodImp found, Signature expected);

// Calls what cls resolves the selector to, as a message of signature R(Params...).
template <class R, class... Params, class... Args>
R deliver(const Class* cls, Object* self, SEL selector, Args&&... args) {
    const MethodImp m = cls != nullptr ? cls->lookup(selector) : MethodImp{};
    const Signature expected = signatureOf<R(Params...)>();
    if (m.imp != nullptr && (m.types == expected || m.types == nullptr)) [[likely]] {
        return impCast<R(Params...)>(m.imp)(self, selector, std::forward<Args>(args)...);
    }
    reportUndelivered(cls, selector, m, expected);
    return emptyResult<R>();
}

template <class R, class... Params, class... Args>
R deliverDeduced(const Class* cls, Object* self, SEL selector, Args&&... args) {
    if constexpr (sizeof...(Params) == 0) {
        return deliver<R, std::decay_t<Args>...>(cls, self, selector, std::forward<Args>(args)...);
    } else {
        static_assert(sizeof...(Params) == sizeof...(Args),
                      "pass one argument for each parameter of the message");
        return deliver<R, Params...>(cls, self, selector, std::forward<Args>(args)...);
    }
}

}  // namespace detail

// Sends a message by selector. The signature is R(decayed argument types) unless the parameter
// types are given explicitly: send<void, const std::string&>(label, sel, text). Prefer a Message
// constant, which fixes the signature once and converts arguments.
template <class R = void, class... Params, class... Args>
R send(Object* receiver, SEL selector, Args&&... args) {
    if (receiver == nullptr) return detail::emptyResult<R>();
    return detail::deliverDeduced<R, Params...>(receiver->objectClass(), receiver, selector,
                                                std::forward<Args>(args)...);
}

// Runs the implementation that currentClass's superclass resolves the selector to, with self as
// the receiver. currentClass is the class whose method makes the call, not self's class: that
// keeps a chain of super calls from calling itself when self is an instance of a subclass.
template <class R = void, class... Params, class... Args>
R sendSuper(Object* self, const Class* currentClass, SEL selector, Args&&... args) {
    if (self == nullptr || currentClass == nullptr) return detail::emptyResult<R>();
    return detail::deliverDeduced<R, Params...>(currentClass->superclass(), self, selector,
                                                std::forward<Args>(args)...);
}

template <class Sig>
class Message;

// A selector with its signature fixed: the way a class declares a method that may be hooked.
//
// Declare one constant per method, beside the member that sends it:
//
//     static inline const runtime::Message<void(double)> kSetAlpha{"setAlpha:"};
//     void setAlpha(double alpha) { kSetAlpha.send(this, alpha); }
//
// The constructor is constexpr, so the constant is initialised before any code runs; the
// selector is interned on first use.
template <class R, class... Args>
class Message<R(Args...)> {
  public:
    using Imp = R (*)(Object*, SEL, Args...);
    using Signature = R(Args...);

    constexpr explicit Message(const char* name) : name_(name) {}
    Message(const Message&) = delete;
    Message& operator=(const Message&) = delete;

    const char* name() const { return name_; }

    SEL selector() const {
        Selector s = selector_.load(std::memory_order_acquire);
        if (!s) [[unlikely]] {
            s = Selector::named(name_);
            selector_.store(s, std::memory_order_release);
        }
        return s;
    }

    R send(Object* receiver, Args... args) const {
        if (receiver == nullptr) return detail::emptyResult<R>();
        return detail::deliver<R, Args...>(receiver->objectClass(), receiver, selector(),
                                           std::forward<Args>(args)...);
    }

    // The super call of an implementation defined in Self's class: pass `this`. Self must
    // declare its own runtime class (QV_OBJECT), or the search would start at the wrong level.
    template <class Self>
    R sendSuper(Self* self, Args... args) const {
        static_assert(
            std::is_same_v<typename std::remove_cv_t<Self>::RuntimeSelf, std::remove_cv_t<Self>>,
            "sendSuper(this, ...) needs QV_OBJECT in the calling class");
        if (self == nullptr) return detail::emptyResult<R>();
        return detail::deliver<R, Args...>(std::remove_cv_t<Self>::staticClass()->superclass(),
                                           const_cast<std::remove_cv_t<Self>*>(self), selector(),
                                           std::forward<Args>(args)...);
    }

    // The typed implementation instances of cls run, or nullptr when they do not respond or
    // the implementation has another signature.
    Imp implementation(const Class* cls) const {
        if (cls == nullptr) return nullptr;
        const MethodImp m = cls->lookup(selector());
        if (m.types != nullptr && m.types != signatureOf<Signature>()) return nullptr;
        return impCast<Signature>(m.imp);
    }

  private:
    const char* name_;
    mutable std::atomic<Selector> selector_{};
};

}  // namespace runtime
