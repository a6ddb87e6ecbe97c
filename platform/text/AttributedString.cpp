#include "platform/text/AttributedString.h"

#include <algorithm>
#include <optional>

namespace text {

namespace {

bool isContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

bool sameAttributeValue(const AttributeValue& a, const AttributeValue& b) {
    if (a.index() != b.index()) return false;
    if (auto* fa = std::get_if<std::shared_ptr<const Font>>(&a)) {
        const auto& fb = std::get<std::shared_ptr<const Font>>(b);
        if (!*fa || !fb) return !*fa && !fb;
        return **fa == *fb;
    }
    return a == b;
}

bool sameAttributes(const Attributes& a, const Attributes& b) {
    if (a.size() != b.size()) return false;
    for (auto ia = a.begin(), ib = b.begin(); ia != a.end(); ++ia, ++ib) {
        if (ia->first != ib->first || !sameAttributeValue(ia->second, ib->second)) return false;
    }
    return true;
}

AttributedString::AttributedString(std::string text, Attributes attributes)
    : text_(std::move(text)) {
    if (!text_.empty()) spans_.push_back({text_.size(), std::move(attributes)});
}

TextRange AttributedString::validated(TextRange range) const {
    std::size_t start = std::min(range.location, text_.size());
    std::size_t end = start + std::min(range.length, text_.size() - start);
    while (start > 0 && isContinuationByte(text_[start])) --start;
    while (end < text_.size() && isContinuationByte(text_[end])) ++end;
    return {start, end - start};
}

std::size_t AttributedString::splitAt(std::size_t offset) {
    std::size_t position = 0;
    for (std::size_t i = 0; i < spans_.size(); ++i) {
        if (position == offset) return i;
        if (offset < position + spans_[i].length) {
            Span tail{position + spans_[i].length - offset, spans_[i].attributes};
            spans_[i].length = offset - position;
            spans_.insert(spans_.begin() + std::ptrdiff_t(i) + 1, std::move(tail));
            return i + 1;
        }
        position += spans_[i].length;
    }
    return spans_.size();
}

void AttributedString::coalesce() {
    std::vector<Span> merged;
    for (Span& s : spans_) {
        if (s.length == 0) continue;
        if (!merged.empty() && sameAttributes(merged.back().attributes, s.attributes)) {
            merged.back().length += s.length;
        } else {
            merged.push_back(std::move(s));
        }
    }
    spans_ = std::move(merged);
}

template <typename Edit>
void AttributedString::editRange(TextRange range, Edit edit) {
    const TextRange r = validated(range);
    if (r.length == 0) return;
    const std::size_t first = splitAt(r.location);
    const std::size_t last = splitAt(r.end());
    for (std::size_t i = first; i < last; ++i) edit(spans_[i].attributes);
    coalesce();
}

Attributes AttributedString::attributesAt(std::size_t index, TextRange* effective) const {
    std::size_t position = 0;
    for (const Span& s : spans_) {
        if (index < position + s.length) {
            if (effective) *effective = {position, s.length};
            return s.attributes;
        }
        position += s.length;
    }
    if (effective) *effective = {text_.size(), 0};
    return {};
}

const AttributeValue* AttributedString::attribute(std::string_view name, std::size_t index,
                                                  TextRange* effective) const {
    auto valueIn = [&](const Span& s) -> const AttributeValue* {
        auto it = s.attributes.find(name);
        return it == s.attributes.end() ? nullptr : &it->second;
    };
    auto same = [](const AttributeValue* a, const AttributeValue* b) {
        return (!a && !b) || (a && b && sameAttributeValue(*a, *b));
    };
    std::size_t start = 0;
    for (std::size_t i = 0; i < spans_.size(); start += spans_[i].length, ++i) {
        if (index >= start + spans_[i].length) continue;
        // The value points into this span, which lives as long as the string is not changed.
        const AttributeValue* found = valueIn(spans_[i]);
        if (effective) {
            std::size_t from = start, to = start + spans_[i].length;
            for (std::size_t k = i; k > 0 && same(valueIn(spans_[k - 1]), found); --k) {
                from -= spans_[k - 1].length;
            }
            for (std::size_t k = i + 1; k < spans_.size() && same(valueIn(spans_[k]), found); ++k) {
                to += spans_[k].length;
            }
            *effective = {from, to - from};
        }
        return found;
    }
    if (effective) *effective = {text_.size(), 0};
    return nullptr;
}

void AttributedString::setAttributes(const Attributes& attributes, TextRange range) {
    editRange(range, [&](Attributes& a) { a = attributes; });
}

void AttributedString::addAttribute(std::string_view name, const AttributeValue& value,
                                    TextRange range) {
    editRange(range, [&](Attributes& a) { a.insert_or_assign(std::string(name), value); });
}

void AttributedString::addAttributes(const Attributes& attributes, TextRange range) {
    editRange(range, [&](Attributes& a) {
        for (const auto& [k, v] : attributes) a.insert_or_assign(k, v);
    });
}

void AttributedString::removeAttribute(std::string_view name, TextRange range) {
    editRange(range, [&](Attributes& a) {
        if (auto it = a.find(name); it != a.end()) a.erase(it);
    });
}

void AttributedString::append(const AttributedString& other) {
    text_ += other.text_;
    spans_.insert(spans_.end(), other.spans_.begin(), other.spans_.end());
    coalesce();
}

void AttributedString::enumerateAttribute(
    std::string_view name, TextRange range,
    const std::function<void(const AttributeValue*, TextRange)>& visit) const {
    const TextRange r = validated(range);
    if (r.length == 0) return;

    // Pass 1: collect the stretches with copies of their values, so that `visit` may change this
    // string (as converting attributes run by run does) without pulling spans from under us.
    struct Stretch {
        std::optional<AttributeValue> value;
        TextRange range;
    };
    std::vector<Stretch> stretches;
    std::size_t position = 0;
    for (const Span& s : spans_) {
        const std::size_t spanStart = std::max(position, r.location);
        const std::size_t spanEnd = std::min(position + s.length, r.end());
        position += s.length;
        if (spanStart >= spanEnd) continue;
        auto it = s.attributes.find(name);
        const AttributeValue* value = it == s.attributes.end() ? nullptr : &it->second;
        if (!stretches.empty()) {
            const auto& last = stretches.back().value;
            const bool same =
                (!value && !last) || (value && last && sameAttributeValue(*value, *last));
            if (same) {
                stretches.back().range.length = spanEnd - stretches.back().range.location;
                continue;
            }
        }
        stretches.push_back({value ? std::optional<AttributeValue>(*value) : std::nullopt,
                             {spanStart, spanEnd - spanStart}});
    }

    // Pass 2: report them in order.
    for (const Stretch& s : stretches) visit(s.value ? &*s.value : nullptr, s.range);
}

std::vector<AttributedString::Run> AttributedString::runs() const {
    std::vector<Run> out;
    std::size_t position = 0;
    for (const Span& s : spans_) {
        out.push_back({{position, s.length}, s.attributes});
        position += s.length;
    }
    return out;
}

bool operator==(const AttributedString& a, const AttributedString& b) {
    if (a.text_ != b.text_ || a.spans_.size() != b.spans_.size()) return false;
    for (std::size_t i = 0; i < a.spans_.size(); ++i) {
        if (a.spans_[i].length != b.spans_[i].length ||
            !sameAttributes(a.spans_[i].attributes, b.spans_[i].attributes)) {
            return false;
        }
    }
    return true;
}

}  // namespace text
