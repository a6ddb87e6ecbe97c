#pragma once

#include "platform/runtime/Class.h"
#include "platform/runtime/Hooks.h"
#include "platform/runtime/Imp.h"
#include "platform/runtime/Object.h"
#include "platform/runtime/Selector.h"

// The hooking framework's entry point, as tweak libraries call it.
//
// MSHookMessageEx replaces the instance method sel of cls with replacement and stores the
// implementation that was in force before into *previous, for the replacement to call with the
// same receiver, selector and (possibly adjusted) arguments. Afterwards every message sel to an
// instance of cls, or of a subclass that does not override it, enters the replacement. When cls
// only inherits the method, the hook applies to cls and its subclasses alone, and *previous is
// the implementation inherited at the moment of hooking. Hooking the same method again chains.
//
// *previous is written before the replacement can be reached. Nothing is installed, and
// *previous is left as it was, when cls is null (a class the running system does not have), sel
// is null or unknown to cls, or replacement is null; the typed form also refuses a replacement
// whose signature differs from the method's. The function returns nothing, as callers do not
// check; a class without the method and a signature mismatch are reported once on standard
// error, a missing class is not (tweaks hook classes of every system generation). previous may
// be null when the caller never calls through.
void MSHookMessageEx(runtime::Class* cls, runtime::SEL sel, runtime::IMP replacement,
                     runtime::IMP* previous);

namespace substrate {

// MSHookMessageEx with an answer: true when the hook was installed. types, when given, is the
// replacement's signature, checked against the method's.
bool hookMessage(runtime::Class* cls, runtime::SEL sel, runtime::IMP replacement,
                 runtime::IMP* previous, runtime::Signature types = nullptr);

namespace detail {
// The refusals decided before the method table is touched: false for null arguments (silently)
// and for a class that does not respond to sel (reported once). A signature mismatch is refused
// and reported by the runtime itself.
bool hookable(runtime::Class* cls, runtime::SEL sel, runtime::IMP replacement);
}  // namespace detail

// The typed form with an answer.
template <class R, class... A>
bool hookMessage(runtime::Class* cls, runtime::SEL sel,
                 R (*replacement)(runtime::Object*, runtime::SEL, A...),
                 R (**previous)(runtime::Object*, runtime::SEL, A...)) {
    return detail::hookable(cls, sel, runtime::toImp(replacement)) &&
           runtime::replaceMethod(cls, sel, replacement, previous);
}

}  // namespace substrate

// The typed form: the slot is a typed function pointer, so neither side needs a cast.
//
//     static void (*orig_setAlpha)(runtime::Object*, runtime::SEL, double);
//     MSHookMessageEx(runtime::lookUpClass("UILabel"), QV_SEL("setAlpha:"), &hook_setAlpha,
//                     &orig_setAlpha);
template <class R, class... A>
void MSHookMessageEx(runtime::Class* cls, runtime::SEL sel,
                     R (*replacement)(runtime::Object*, runtime::SEL, A...),
                     R (**previous)(runtime::Object*, runtime::SEL, A...)) {
    substrate::hookMessage(cls, sel, replacement, previous);
}
