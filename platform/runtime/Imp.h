#pragma once

#include <typeinfo>

#include "platform/runtime/Selector.h"

namespace runtime {

class Object;

// A method implementation with its type erased, as method tables and hooking frameworks pass
// them around. Every implementation really has the type R(*)(Object* self, SEL cmd, Args...);
// impCast restores it. Calling an IMP through any other type is undefined behaviour, which is why
// typed entry points compare signatures before they call.
using IMP = void (*)();

// The typed form of an implementation whose message has the signature R(Args...).
template <class Sig>
struct TypedImpOf;
template <class R, class... Args>
struct TypedImpOf<R(Args...)> {
    using type = R (*)(Object*, SEL, Args...);
};
template <class Sig>
using TypedImp = typename TypedImpOf<Sig>::type;

template <class Sig>
TypedImp<Sig> impCast(IMP imp) {
    return reinterpret_cast<TypedImp<Sig>>(imp);
}

template <class R, class... Args>
IMP toImp(R (*fn)(Object*, SEL, Args...)) {
    return reinterpret_cast<IMP>(fn);
}

// The interned text of a message signature R(Args...), so that libraries built apart agree on
// one pointer per signature. nullptr means "not recorded": the entry was installed untyped and
// typed callers trust it.
using Signature = const char*;

namespace detail {
Signature internSignature(const char* mangled);
}

template <class Sig>
Signature signatureOf() {
    static const Signature signature = detail::internSignature(typeid(Sig).name());
    return signature;
}

// What a lookup finds: the implementation (nullptr when the class does not respond) and the
// signature it was registered with.
struct MethodImp {
    IMP imp = nullptr;
    Signature types = nullptr;
};

// Receives the implementation a replacement displaces (see replaceMethod in Hooks.h).
using PreviousSink = void (*)(void* context, IMP previous);

// One method as a class is registered with it.
struct MethodDescription {
    SEL selector;
    IMP imp = nullptr;
    Signature types = nullptr;
};

}  // namespace runtime
