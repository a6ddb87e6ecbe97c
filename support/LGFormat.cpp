#include "support/LGFormat.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

namespace {

std::string formatWith(const std::string& directive, auto value) {
    char buffer[128];
    int n = std::snprintf(buffer, sizeof buffer, directive.c_str(), value);
    if (n < 0) return {};
    if (size_t(n) < sizeof buffer) return std::string(buffer, size_t(n));
    std::vector<char> big(size_t(n) + 1);
    std::snprintf(big.data(), big.size(), directive.c_str(), value);
    return std::string(big.data(), size_t(n));
}

bool isFlag(char c) {
    return c == '-' || c == '+' || c == ' ' || c == '#' || c == '0';
}

bool isLengthModifier(char c) {
    return c == 'h' || c == 'l' || c == 'q' || c == 'L' || c == 'z' || c == 'j' || c == 't';
}

// Width and precision are capped so that a hostile format cannot ask for gigabytes.
constexpr int64_t kMaxField = 4096;

}  // namespace

std::string LGObjectDescription(const std::string& className, const void* address) {
    return "<" + className + ": " + formatWith("%p", address) + ">";
}

int64_t LGFormatArg::asSigned() const {
    switch (kind_) {
        case Kind::Signed:
            return signed_;
        case Kind::Unsigned:
            return static_cast<int64_t>(unsigned_);
        case Kind::Real: {
            if (std::isnan(real_)) return 0;
            constexpr double kLimit = 9223372036854775808.0;
            if (real_ >= kLimit) return std::numeric_limits<int64_t>::max();
            if (real_ < -kLimit) return std::numeric_limits<int64_t>::min();
            return static_cast<int64_t>(real_);
        }
        case Kind::Pointer:
            return static_cast<int64_t>(reinterpret_cast<uintptr_t>(pointer_));
        case Kind::Text:
            return 0;
    }
    return 0;
}

uint64_t LGFormatArg::asUnsigned() const {
    if (kind_ == Kind::Unsigned) return unsigned_;
    return static_cast<uint64_t>(asSigned());
}

double LGFormatArg::asReal() const {
    switch (kind_) {
        case Kind::Signed:
            return double(signed_);
        case Kind::Unsigned:
            return double(unsigned_);
        case Kind::Real:
            return real_;
        default:
            return 0;
    }
}

std::string LGFormatArg::asText() const {
    switch (kind_) {
        case Kind::Text:
            return text_;
        case Kind::Signed:
            return std::to_string(signed_);
        case Kind::Unsigned:
            return std::to_string(unsigned_);
        case Kind::Real:
            return formatWith("%g", real_);
        case Kind::Pointer:
            return formatWith("%p", pointer_);
    }
    return {};
}

const void* LGFormatArg::asPointer() const {
    if (kind_ == Kind::Pointer) return pointer_;
    return reinterpret_cast<const void*>(static_cast<uintptr_t>(asUnsigned()));
}

std::string LGFormatMessage(std::string_view format, std::span<const LGFormatArg> args) {
    std::string out;
    size_t next = 0;
    auto take = [&]() -> const LGFormatArg* {
        return next < args.size() ? &args[next++] : nullptr;
    };

    for (size_t i = 0; i < format.size(); ++i) {
        char c = format[i];
        if (c != '%') {
            out += c;
            continue;
        }
        size_t start = i++;
        if (i < format.size() && format[i] == '%') {
            out += '%';
            continue;
        }
        // Pass 1: flags, width, precision; '*' takes its value from the arguments.
        std::string directive = "%";
        while (i < format.size() && isFlag(format[i])) directive += format[i++];
        auto field = [&](bool allowStar) {
            if (allowStar && i < format.size() && format[i] == '*') {
                ++i;
                const LGFormatArg* arg = take();
                int64_t value = arg ? arg->asSigned() : 0;
                value = std::max<int64_t>(-kMaxField, std::min<int64_t>(kMaxField, value));
                directive += std::to_string(value);
                return;
            }
            int64_t value = 0;
            bool any = false;
            while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
                value = std::min<int64_t>(kMaxField, value * 10 + (format[i++] - '0'));
                any = true;
            }
            if (any) directive += std::to_string(value);
        };
        field(true);
        if (i < format.size() && format[i] == '.') {
            directive += format[i++];
            field(true);
        }
        // Pass 2: length modifiers are ignored; the argument's captured type decides.
        while (i < format.size() && isLengthModifier(format[i])) ++i;
        if (i >= format.size()) {
            out.append(format.substr(start));
            break;
        }
        // Pass 3: the conversion.
        char conversion = format[i];
        const LGFormatArg* arg = nullptr;
        switch (conversion) {
            case 'd':
            case 'i':
                arg = take();
                out += formatWith(directive + "lld",
                                  static_cast<long long>(arg ? arg->asSigned() : 0));
                break;
            case 'u':
            case 'o':
            case 'x':
            case 'X':
                arg = take();
                out += formatWith(directive + "ll" + conversion,
                                  static_cast<unsigned long long>(arg ? arg->asUnsigned() : 0));
                break;
            case 'c':
                arg = take();
                out += formatWith(directive + "c", static_cast<int>(arg ? arg->asSigned() : 0));
                break;
            case 'f':
            case 'F':
            case 'e':
            case 'E':
            case 'g':
            case 'G':
            case 'a':
            case 'A':
                arg = take();
                out += formatWith(directive + conversion, arg ? arg->asReal() : 0.0);
                break;
            case 's':
            case '@': {
                arg = take();
                std::string text = arg ? arg->asText() : "(null)";
                out += formatWith(directive + "s", text.c_str());
                break;
            }
            case 'p':
                arg = take();
                out += formatWith(directive + "p", arg ? arg->asPointer() : nullptr);
                break;
            case 'n':
                take();
                break;
            default:
                // Not a directive: keep the text as written.
                out.append(format.substr(start, i - start + 1));
                break;
        }
    }
    return out;
}
