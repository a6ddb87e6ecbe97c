#pragma once

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

// printf-style formatting with one addition, "%@", which prints an object's description.
//
// Arguments are captured with their types, so a directive that does not match its argument
// (a "%d" given a string, a missing argument) prints something sensible instead of reading
// garbage: the argument is converted to what the directive asks for, and a missing one prints
// "(null)". "%n" is not supported and prints nothing.

// Anything with a description() member, like property-list values and runtime objects.
template <class T>
concept LGDescribable = requires(const T& value) {
    { value.description() } -> std::convertible_to<std::string>;
};

// Runtime objects without a description of their own print as "<ClassName: 0x…>".
template <class T>
concept LGClassNamed = !LGDescribable<T> && requires(const T& value) {
    { value.className() } -> std::convertible_to<std::string>;
};

std::string LGObjectDescription(const std::string& className, const void* address);

class LGFormatArg {
  public:
    enum class Kind { Signed, Unsigned, Real, Text, Pointer };

    template <std::integral T>
    LGFormatArg(T value) {  // NOLINT(google-explicit-constructor)
        if constexpr (std::is_signed_v<T> || std::is_same_v<T, bool>) {
            kind_ = Kind::Signed;
            signed_ = static_cast<int64_t>(value);
        } else {
            kind_ = Kind::Unsigned;
            unsigned_ = static_cast<uint64_t>(value);
        }
    }
    template <std::floating_point T>
    LGFormatArg(T value) : kind_(Kind::Real), real_(static_cast<double>(value)) {}  // NOLINT
    LGFormatArg(const char* text)                                                   // NOLINT
        : kind_(Kind::Text), text_(text ? text : "(null)") {}
    LGFormatArg(std::string_view text) : kind_(Kind::Text), text_(text) {}    // NOLINT
    LGFormatArg(const std::string& text) : kind_(Kind::Text), text_(text) {}  // NOLINT
    LGFormatArg(const void* pointer)                                          // NOLINT
        : kind_(Kind::Pointer), pointer_(pointer) {}
    LGFormatArg(std::nullptr_t) : kind_(Kind::Text), text_("(null)") {}  // NOLINT
    template <LGDescribable T>
    LGFormatArg(const T& value) : kind_(Kind::Text), text_(value.description()) {}  // NOLINT
    template <LGDescribable T>
    LGFormatArg(const std::shared_ptr<T>& value)  // NOLINT
        : kind_(Kind::Text), text_(value ? std::string(value->description()) : "(null)") {}

    template <LGClassNamed T>
    LGFormatArg(const T& value)  // NOLINT
        : kind_(Kind::Text), text_(LGObjectDescription(value.className(), &value)) {}
    template <LGClassNamed T>
    LGFormatArg(const std::shared_ptr<T>& value)  // NOLINT
        : kind_(Kind::Text),
          text_(value ? LGObjectDescription(value->className(), value.get()) : "(null)") {}

    Kind kind() const { return kind_; }
    int64_t asSigned() const;
    uint64_t asUnsigned() const;
    double asReal() const;
    std::string asText() const;
    const void* asPointer() const;

  private:
    Kind kind_;
    int64_t signed_ = 0;
    uint64_t unsigned_ = 0;
    double real_ = 0;
    std::string text_;
    const void* pointer_ = nullptr;
};

std::string LGFormatMessage(std::string_view format, std::span<const LGFormatArg> args);

template <class... Args>
std::string LGFormat(std::string_view format, const Args&... args) {
    const LGFormatArg captured[] = {LGFormatArg(args)..., LGFormatArg(0)};
    return LGFormatMessage(format, std::span(captured, sizeof...(Args)));
}
