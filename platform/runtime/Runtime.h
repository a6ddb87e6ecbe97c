#pragma once

// Everything a class built on the object runtime needs: objects and classes, messages, method
// registration, and the extension points of Hooks.h.
#include "platform/runtime/AttachKey.h"
#include "platform/runtime/Class.h"
#include "platform/runtime/ClassDefinition.h"
#include "platform/runtime/Hooks.h"
#include "platform/runtime/Messaging.h"
#include "platform/runtime/MethodList.h"
#include "platform/runtime/Object.h"
#include "platform/runtime/Selector.h"
