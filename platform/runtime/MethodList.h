#pragma once

#include <cassert>
#include <span>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/runtime/Messaging.h"

namespace runtime {

namespace detail {

template <class M>
struct MemberTraits;
template <class C, class R, class... A>
struct MemberTraits<R (C::*)(A...)> {
    using Owner = C;
    using Signature = R(A...);
};
template <class C, class R, class... A>
struct MemberTraits<R (C::*)(A...) const> : MemberTraits<R (C::*)(A...)> {};
template <class C, class R, class... A>
struct MemberTraits<R (C::*)(A...) noexcept> : MemberTraits<R (C::*)(A...)> {};
template <class C, class R, class... A>
struct MemberTraits<R (C::*)(A...) const noexcept> : MemberTraits<R (C::*)(A...)> {};

// The IMP that runs a member function on the receiver.
template <auto Member, class Sig>
struct MemberThunk;
template <auto Member, class R, class... A>
struct MemberThunk<Member, R(A...)> {
    using Owner = typename MemberTraits<decltype(Member)>::Owner;
    static R call(Object* self, SEL, A... args) {
        assert(self != nullptr);
        return (static_cast<Owner*>(self)->*Member)(std::forward<A>(args)...);
    }
};

}  // namespace detail

// The methods a class of C++ type T registers with its runtime class, filled by T's
// static registerMethods(runtime::MethodList<T>&) when the class is defined.
//
// An entry pairs a Message with a member function of the same signature, or with a plain
// function taking the receiver first. Registering a message the superclass already implements
// is an override; its implementation reaches the superclass's (possibly replaced) one with
// Message::sendSuper(this, ...).
template <class T>
class MethodList {
  public:
    // methods.add<&View::setAlphaDefault>(kSetAlpha)
    template <auto Member, class Sig>
    MethodList& add(const Message<Sig>& message) {
        using Traits = detail::MemberTraits<decltype(Member)>;
        static_assert(std::is_same_v<typename Traits::Signature, Sig>,
                      "the member function must have the message's signature");
        static_assert(std::is_base_of_v<typename Traits::Owner, T>,
                      "the member function must belong to the class or one of its bases");
        return add(message, &detail::MemberThunk<Member, Sig>::call);
    }

    template <class Sig>
    MethodList& add(const Message<Sig>& message, TypedImp<Sig> imp) {
        assert(imp != nullptr);
        methods_.push_back({message.selector(), reinterpret_cast<IMP>(imp), signatureOf<Sig>()});
        return *this;
    }

    std::span<const MethodDescription> descriptions() const { return methods_; }

  private:
    std::vector<MethodDescription> methods_;
};

}  // namespace runtime
