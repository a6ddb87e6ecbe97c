#include "platform/runtime/Messaging.h"

#include <string>

#include "platform/runtime/detail/Diagnostics.h"

namespace runtime::detail {

void reportUndelivered(const Class* cls, SEL selector, MethodImp found, Signature expected) {
    // Messages to nothing (null class, null selector) are silent, like messages to nil.
    if (cls == nullptr || !selector) return;
    const std::string method = "-[" + cls->name() + " " + std::string(selector.name()) + "]";
    if (found.imp == nullptr) {
        reportOnce(method + ": unrecognized selector; the message was dropped");
    } else {
        reportOnce(method + ": sent with signature " + std::string(expected) +
                   " but implemented as " + std::string(found.types) + "; the message was dropped");
    }
}

}  // namespace runtime::detail
