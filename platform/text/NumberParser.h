#pragma once

#include <optional>
#include <string_view>

#include "platform/text/Locale.h"

namespace text {

// Reads numbers as people write them in a locale: its decimal and grouping separators, signs
// and exponents ("1,5" is one and a half in de_DE; "1,500.25" in en_US). Strict: grouping
// separators must sit where the locale groups digits, and the whole text (surrounding white
// space aside) must be the number.
class NumberParser {
  public:
    explicit NumberParser(Locale locale = Locale::autoupdatingCurrent());

    // nullopt when the text is not a finite number in the locale, so that a failed read is never
    // mistaken for 0.
    std::optional<double> parse(std::string_view text) const;

    const Locale& locale() const { return locale_; }

  private:
    Locale locale_;
};

}  // namespace text
