#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

namespace runtime {

namespace detail {
struct SelectorName;
}

// A method name interned once per process, so that two selectors compare by pointer.
//
// Selectors are spelled as the phone spells them ("setAlpha:", "layoutSubviews"): a
// library loaded later asks for the same text and gets the same selector, which is how a hook
// finds the method it replaces. The default-constructed selector is the null selector; it names
// no method and no class responds to it.
class Selector {
  public:
    constexpr Selector() = default;

    // Interns the name; an empty name yields the null selector. Safe from any thread.
    static Selector named(std::string_view name);

    // The name as registered; empty for the null selector. Valid for the life of the process.
    std::string_view name() const;

    explicit operator bool() const { return entry_ != nullptr; }
    friend bool operator==(Selector a, Selector b) { return a.entry_ == b.entry_; }

    // The interned record: a stable identity for tables keyed by selector.
    const detail::SelectorName* identity() const { return entry_; }

  private:
    explicit Selector(const detail::SelectorName* entry) : entry_(entry) {}

    const detail::SelectorName* entry_ = nullptr;
};

using SEL = Selector;

}  // namespace runtime

template <>
struct std::hash<runtime::Selector> {
    std::size_t operator()(runtime::Selector s) const noexcept {
        return std::hash<const void*>{}(s.identity());
    }
};

// A selector interned on first use at this spot and reused afterwards: for code that sends by
// name on a hot path without a Message constant.
#define QV_SEL(name)                                                                \
    ([]() -> ::runtime::Selector {                                                  \
        static const ::runtime::Selector qv_sel = ::runtime::Selector::named(name); \
        return qv_sel;                                                              \
    }())
