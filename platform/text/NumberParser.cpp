#include "platform/text/NumberParser.h"

#include <unicode/numfmt.h>

#include <cmath>
#include <memory>

namespace text {

NumberParser::NumberParser(Locale locale) : locale_(std::move(locale)) {}

std::optional<double> NumberParser::parse(std::string_view text) const {
    icu::UnicodeString input =
        icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), int32_t(text.size())));
    input.trim();
    if (input.isEmpty()) return std::nullopt;

    UErrorCode status = U_ZERO_ERROR;
    const std::string localeId = locale_.identifier();
    std::unique_ptr<icu::NumberFormat> format(
        icu::NumberFormat::createInstance(icu::Locale::createFromName(localeId.c_str()), status));
    if (U_FAILURE(status) || !format) return std::nullopt;
    // Lenient parsing reads "1,5" in en_US as 15; a settings value must not change by a factor
    // of ten because of a misplaced separator.
    format->setLenient(false);

    icu::Formattable result;
    icu::ParsePosition position(0);
    format->parse(input, result, position);
    if (position.getErrorIndex() >= 0 || position.getIndex() != input.length()) {
        return std::nullopt;
    }
    status = U_ZERO_ERROR;
    const double value = result.getDouble(status);
    if (U_FAILURE(status) || !std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace text
