#include "platform/runtime/Selector.h"

#include "platform/runtime/detail/Interner.h"

namespace runtime {

namespace detail {

struct SelectorName {
    explicit SelectorName(std::string t) : text(std::move(t)) {}
    std::string text;
};

namespace {

Interner<SelectorName>& selectorTable() {
    // Leaked on purpose: selectors are used by static destructors and by other threads until
    // the process is gone.
    static auto* table = new Interner<SelectorName>();
    return *table;
}

}  // namespace
}  // namespace detail

Selector Selector::named(std::string_view name) {
    if (name.empty()) return Selector();
    return Selector(detail::selectorTable().intern(name));
}

std::string_view Selector::name() const {
    return entry_ != nullptr ? std::string_view(entry_->text) : std::string_view();
}

}  // namespace runtime
