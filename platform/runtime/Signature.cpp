#include "platform/runtime/Imp.h"
#include "platform/runtime/detail/Interner.h"

namespace runtime::detail {

namespace {

struct SignatureText {
    explicit SignatureText(std::string t) : text(std::move(t)) {}
    std::string text;
};

}  // namespace

Signature internSignature(const char* mangled) {
    static auto* table = new Interner<SignatureText>();
    if (mangled == nullptr) return nullptr;
    return table->intern(mangled)->text.c_str();
}

}  // namespace runtime::detail
