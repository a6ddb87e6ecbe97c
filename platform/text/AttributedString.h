#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/base/Color.h"
#include "platform/text/Font.h"

namespace text {

// Attribute names. The toolkit (labels, views) and the text layout name their font and colour
// differently, as on the phone, so code that converts one to the other can tell which it holds.
// The layout reads its own names first and falls back to the toolkit's.
inline constexpr std::string_view kFontAttribute = "NSFont";
inline constexpr std::string_view kForegroundColorAttribute = "NSColor";
inline constexpr std::string_view kLayoutFontAttribute = "CTFont";
inline constexpr std::string_view kLayoutForegroundColorAttribute = "CTForegroundColor";

using AttributeValue = std::variant<std::shared_ptr<const Font>, base::Color, double, std::string>;
using Attributes = std::map<std::string, AttributeValue, std::less<>>;

// Fonts compare by value (Font ==), everything else as its type does.
bool sameAttributeValue(const AttributeValue& a, const AttributeValue& b);
bool sameAttributes(const Attributes& a, const Attributes& b);

// A range of the UTF-8 text, in bytes.
struct TextRange {
    std::size_t location = 0;
    std::size_t length = 0;
    std::size_t end() const { return location + length; }
    friend bool operator==(const TextRange&, const TextRange&) = default;
};

// UTF-8 text whose ranges carry attributes. A value type: copy it to get a mutable copy.
//
// Ranges are validated, not trusted: they are clipped to the text and widened to whole
// characters, so an attribute never starts inside a multi-byte character.
class AttributedString {
  public:
    AttributedString() = default;
    explicit AttributedString(std::string text, Attributes attributes = {});

    const std::string& string() const { return text_; }
    std::size_t length() const { return text_.size(); }
    bool empty() const { return text_.empty(); }

    // Attributes at a byte index; empty past the end. `effective` receives the longest range
    // around the index with the same attributes.
    Attributes attributesAt(std::size_t index, TextRange* effective = nullptr) const;
    // One attribute at a byte index, nullptr when absent; `effective` receives the longest range
    // around the index over which it is the same (or equally absent). The pointer stays valid
    // until the string is next changed.
    const AttributeValue* attribute(std::string_view name, std::size_t index,
                                    TextRange* effective = nullptr) const;

    void setAttributes(const Attributes& attributes, TextRange range);
    void addAttribute(std::string_view name, const AttributeValue& value, TextRange range);
    void addAttributes(const Attributes& attributes, TextRange range);
    void removeAttribute(std::string_view name, TextRange range);
    void append(const AttributedString& other);

    // Calls `visit` for each longest stretch of `range` over which the attribute is the same,
    // in order; stretches without it come with nullptr. The stretches are found before the first
    // call, so `visit` may change this string's attributes.
    void enumerateAttribute(
        std::string_view name, TextRange range,
        const std::function<void(const AttributeValue*, TextRange)>& visit) const;

    // The whole text as (range, attributes) runs, adjacent runs always differing.
    struct Run {
        TextRange range;
        Attributes attributes;
    };
    std::vector<Run> runs() const;

    friend bool operator==(const AttributedString& a, const AttributedString& b);

  private:
    struct Span {
        std::size_t length;
        Attributes attributes;
    };

    TextRange validated(TextRange range) const;
    // Splits spans so that `offset` falls on a span boundary; returns that span's index.
    std::size_t splitAt(std::size_t offset);
    void coalesce();
    template <typename Edit>
    void editRange(TextRange range, Edit edit);

    std::string text_;
    std::vector<Span> spans_;  // lengths sum to text_.size(); no empty spans
};

}  // namespace text
