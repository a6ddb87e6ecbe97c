#include "platform/ui/TargetAction.h"

namespace ui {

bool respondsToAction(const runtime::Object* target, runtime::SEL action) {
    if (target == nullptr || !action) return false;
    const runtime::Class* cls = target->objectClass();
    const runtime::MethodImp m = cls->lookup(action);
    if (m.imp == nullptr) return false;
    return m.types == nullptr || m.types == runtime::signatureOf<void(runtime::Object*)>() ||
           m.types == runtime::signatureOf<void()>();
}

bool performAction(runtime::SEL action, runtime::Object* target, runtime::Object* sender) {
    if (target == nullptr || !action) return false;
    const runtime::MethodImp m = target->objectClass()->lookup(action);
    if (m.imp == nullptr) return false;
    if (m.types == runtime::signatureOf<void()>()) {
        runtime::impCast<void()>(m.imp)(target, action);
        return true;
    }
    if (m.types == nullptr || m.types == runtime::signatureOf<void(runtime::Object*)>()) {
        runtime::impCast<void(runtime::Object*)>(m.imp)(target, action, sender);
        return true;
    }
    return false;
}

}  // namespace ui
