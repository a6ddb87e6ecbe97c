#pragma once

#include "platform/runtime/Runtime.h"

namespace ui {

// Sending an action message to a target: the method may take the sender ("handle:") or nothing
// ("handle"), as action methods do on the phone. False when the target is null or implements
// the selector with neither signature.
bool performAction(runtime::SEL action, runtime::Object* target, runtime::Object* sender);

// Whether performAction would reach a method.
bool respondsToAction(const runtime::Object* target, runtime::SEL action);

}  // namespace ui
