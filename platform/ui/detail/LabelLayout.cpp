#include "platform/ui/detail/LabelLayout.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>

#include "platform/base/Utf8.h"

namespace ui::detail {

namespace {

constexpr const char* kEllipsis = "\xE2\x80\xA6";  // U+2026

bool isCharacterStart(const std::string& s, std::size_t i) {
    return i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80;
}

// Shapes ranges of one text and measures them.
class Measurer {
  public:
    explicit Measurer(const text::AttributedString& text) : text_(text) {}

    std::shared_ptr<const text::TextLine> shape(text::TextRange range) const {
        return text::TextLine::create(attributedSlice(text_, range));
    }
    double width(text::TextRange range) const {
        if (range.length == 0) return 0;
        const auto line = shape(range);
        return line ? line->width() : 0;
    }
    // The range followed by an ellipsis in the style of its last character.
    std::shared_ptr<const text::TextLine> shapeWithEllipsis(text::TextRange range) const {
        text::AttributedString s = attributedSlice(text_, range);
        const std::size_t styleAt =
            range.length > 0 ? lastCharacterStart(range) : std::min(range.location, last());
        s.append(text::AttributedString(kEllipsis, text_.attributesAt(styleAt)));
        return text::TextLine::create(s);
    }

    const std::string& string() const { return text_.string(); }

  private:
    std::size_t lastCharacterStart(text::TextRange range) const {
        std::size_t i = range.end() - 1;
        while (i > range.location && !isCharacterStart(string(), i)) --i;
        return i;
    }
    std::size_t last() const { return text_.length() == 0 ? 0 : text_.length() - 1; }

    const text::AttributedString& text_;
};

struct LineRange {
    text::TextRange range;
    bool ellipsis = false;
};

// The longest prefix of `range` ending at an allowed break that fits `width` (with an ellipsis
// after it when asked), by bisection over the breaks.
std::size_t longestFittingPrefix(const Measurer& m, text::TextRange range,
                                 const std::vector<std::size_t>& breaks, double width,
                                 bool withEllipsis) {
    std::size_t lo = 0, hi = breaks.size();  // breaks[0 .. lo) fit
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        const text::TextRange candidate{range.location, breaks[mid] - range.location};
        double w = 0;
        if (withEllipsis) {
            const auto line = m.shapeWithEllipsis(candidate);
            w = line ? line->width() : 0;
        } else {
            w = m.width(candidate);
        }
        if (w <= width) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    return lo == 0 ? range.location : breaks[lo - 1];
}

std::vector<std::size_t> characterBreaks(const std::string& s, text::TextRange range) {
    std::vector<std::size_t> breaks;
    for (std::size_t i = range.location + 1; i <= range.end(); ++i) {
        if (isCharacterStart(s, i)) breaks.push_back(i);
    }
    return breaks;
}

// Chinese and Japanese text has no spaces between words: a line may end after any ideograph,
// kana or full-width form.
bool isIdeographic(char32_t c) {
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
           (c >= 0xFF00 && c <= 0xFFEF) || (c >= 0x20000 && c <= 0x3FFFF);
}

// Punctuation that never starts a line ("，" "。" "）" …) or never ends one ("（" "「" …).
bool neverStartsLine(char32_t c) {
    static constexpr char32_t kClosing[] = {0x3001, 0x3002, 0xFF0C, 0xFF0E, 0xFF1A, 0xFF1B,
                                            0xFF01, 0xFF1F, 0xFF09, 0x300D, 0x300F, 0x3011,
                                            0x300B, 0x3009, 0x30FC, 0xFF5E, 0x2019, 0x201D};
    return std::find(std::begin(kClosing), std::end(kClosing), c) != std::end(kClosing);
}
bool neverEndsLine(char32_t c) {
    static constexpr char32_t kOpening[] = {0xFF08, 0x300C, 0x300E, 0x3010,
                                            0x300A, 0x3008, 0x2018, 0x201C};
    return std::find(std::begin(kOpening), std::end(kOpening), c) != std::end(kOpening);
}

// Where a line may end: after a word (before the spaces that follow it), and between two
// characters of which one is ideographic, unless punctuation forbids it.
std::vector<std::size_t> wordBreaks(const std::string& s, text::TextRange range) {
    std::vector<std::size_t> breaks;
    char32_t previous = 0;
    for (std::size_t i = range.location; i < range.end();) {
        std::size_t length = 1;
        const char32_t c = base::decodeUtf8(s, i, &length);
        if (i > range.location && c != ' ' && previous != ' ' &&
            (isIdeographic(c) || isIdeographic(previous)) && !neverStartsLine(c) &&
            !neverEndsLine(previous)) {
            breaks.push_back(i);
        }
        if (c == ' ' && i > range.location && previous != ' ') breaks.push_back(i);
        previous = c;
        i += std::max<std::size_t>(length, 1);
    }
    if (range.length > 0 && s[range.end() - 1] != ' ') breaks.push_back(range.end());
    return breaks;
}

text::TextRange trimmed(const std::string& s, text::TextRange r) {
    while (r.length > 0 && s[r.location] == ' ') ++r.location, --r.length;
    while (r.length > 0 && s[r.end() - 1] == ' ') --r.length;
    return r;
}

// Pass 1: which bytes go on which line; maxLines is at least 1.
std::vector<LineRange> breakLines(const Measurer& m, double width, int maxLines) {
    const std::string& s = m.string();
    std::vector<text::TextRange> paragraphs;
    for (std::size_t start = 0;;) {
        const std::size_t end = std::min(s.find('\n', start), s.size());
        paragraphs.push_back({start, end - start});
        if (end >= s.size()) break;
        start = end + 1;
    }

    // The line cut to leave room for an ellipsis after it.
    const auto withEllipsis = [&](text::TextRange range) {
        const std::size_t end =
            range.length == 0
                ? range.location
                : longestFittingPrefix(m, range, characterBreaks(s, range), width, true);
        return LineRange{trimmed(s, {range.location, end - range.location}), true};
    };

    std::vector<LineRange> lines;
    for (const text::TextRange& paragraph : paragraphs) {
        text::TextRange rest = paragraph;
        do {
            if (int(lines.size()) == maxLines) {
                // More text than lines: the last line says so.
                lines.back() = withEllipsis(lines.back().range);
                return lines;
            }
            if (m.width(rest) <= width) {
                lines.push_back({rest});
                break;
            }
            if (int(lines.size()) == maxLines - 1) {
                // The rest of the text goes on this last line, cut to fit.
                lines.push_back(withEllipsis(rest));
                return lines;
            }
            std::size_t end = longestFittingPrefix(m, rest, wordBreaks(s, rest), width, false);
            if (end == rest.location) {
                // The first word alone is too wide: break inside it, keeping at least one
                // character so that every line makes progress.
                const auto chars = characterBreaks(s, rest);
                end = std::max(longestFittingPrefix(m, rest, chars, width, false), chars.front());
            }
            lines.push_back({trimmed(s, {rest.location, end - rest.location})});
            rest = trimmed(s, {end, rest.end() - end});
        } while (rest.length > 0);
    }
    return lines;
}

}  // namespace

text::AttributedString attributedSlice(const text::AttributedString& text, text::TextRange range) {
    text::AttributedString slice;
    const std::size_t end = std::min(range.end(), text.length());
    for (const auto& run : text.runs()) {
        const std::size_t from = std::max(run.range.location, range.location);
        const std::size_t to = std::min(run.range.end(), end);
        if (from >= to) continue;
        slice.append(text::AttributedString(text.string().substr(from, to - from), run.attributes));
    }
    return slice;
}

std::vector<PlacedLine> layOutText(const text::AttributedString& text, const base::Rect& bounds,
                                   TextAlignment alignment, int maxLines) {
    std::vector<PlacedLine> placed;
    const base::Rect b = bounds.standardized();
    if (text.empty() || !(b.width() > 0)) return placed;
    const Measurer m(text);

    // The whole text's metrics give the line height; a label's lines share one font size.
    const auto whole = m.shape({0, text.length()});
    if (!whole) return placed;
    const text::TypographicBounds metrics = whole->typographicBounds();
    const double lineHeight = metrics.ascent + metrics.descent + metrics.leading;
    if (maxLines <= 0) {
        maxLines = lineHeight > 0 ? std::max(1, int(std::floor(b.height() / lineHeight))) : 1;
    }

    std::vector<std::shared_ptr<const text::TextLine>> shaped;
    std::vector<text::TextRange> ranges;
    for (const LineRange& l : breakLines(m, b.width(), maxLines)) {
        shaped.push_back(l.ellipsis ? m.shapeWithEllipsis(l.range) : m.shape(l.range));
        ranges.push_back(l.range);
    }

    // Pass 2: centre the block, align each line.
    const double blockHeight = lineHeight * double(shaped.size()) - metrics.leading;
    double top = b.midY() - blockHeight / 2;
    for (std::size_t i = 0; i < shaped.size(); ++i) {
        if (const auto& line = shaped[i]) {
            double x = b.minX();
            if (alignment == TextAlignment::Center) x = b.midX() - line->width() / 2;
            if (alignment == TextAlignment::Right) x = b.maxX() - line->width();
            placed.push_back({line, {x, top + metrics.ascent}, ranges[i]});
        }
        top += lineHeight;
    }
    return placed;
}

std::vector<PlacedLine> layOutLabel(const Label& label) {
    const base::Rect b = label.bounds();
    const auto line = label.textLine();
    if (!line || !(b.width() > 0)) return {};
    const bool oneParagraph = label.text().find('\n') == std::string::npos;
    if (oneParagraph && line->width() <= b.width()) {
        const text::TypographicBounds m = line->typographicBounds();
        double x = b.minX();
        if (label.textAlignment() == TextAlignment::Center) x = b.midX() - line->width() / 2;
        if (label.textAlignment() == TextAlignment::Right) x = b.maxX() - line->width();
        const double top = b.midY() - (m.ascent + m.descent) / 2;
        return {{line, {x, top + m.ascent}, {0, label.text().size()}}};
    }
    const auto styled = label.attributedText();
    if (!styled) return {};
    return layOutText(*styled, b, label.textAlignment(), label.numberOfLines());
}

}  // namespace ui::detail
