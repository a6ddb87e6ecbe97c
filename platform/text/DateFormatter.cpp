#include "platform/text/DateFormatter.h"

#include <unicode/dtptngen.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <map>
#include <mutex>

namespace text {

namespace {

// Pattern generators load a lot of locale data; one per locale serves the whole process.
std::string bestPattern(const std::string& localeId, const icu::UnicodeString& skeleton) {
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<icu::DateTimePatternGenerator>> generators;
    std::lock_guard lock(mutex);
    auto& generator = generators[localeId];
    UErrorCode status = U_ZERO_ERROR;
    if (!generator) {
        generator.reset(icu::DateTimePatternGenerator::createInstance(
            icu::Locale::createFromName(localeId.c_str()), status));
        if (U_FAILURE(status)) {
            generator.reset();
            return {};
        }
    }
    status = U_ZERO_ERROR;
    icu::UnicodeString pattern = generator->getBestPattern(skeleton, status);
    if (U_FAILURE(status)) return {};
    std::string out;
    pattern.toUTF8String(out);
    return out;
}

// A template is read for its fields only: letters outside quotes. Spaces and punctuation are the
// locale's business.
icu::UnicodeString skeletonOf(std::string_view dateTemplate) {
    const icu::UnicodeString text = icu::UnicodeString::fromUTF8(
        icu::StringPiece(dateTemplate.data(), int32_t(dateTemplate.size())));
    icu::UnicodeString skeleton;
    bool quoted = false;
    for (int32_t i = 0; i < text.length(); ++i) {
        const char16_t c = text.charAt(i);
        if (c == u'\'') {
            quoted = !quoted;
        } else if (!quoted && ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'))) {
            skeleton.append(c);
        }
    }
    return skeleton;
}

}  // namespace

struct DateFormatter::Cache {
    std::string key;
    std::unique_ptr<icu::SimpleDateFormat> format;
};

DateFormatter::DateFormatter() : locale_(Locale::autoupdatingCurrent()), zone_(TimeZone::local()) {}

DateFormatter::~DateFormatter() = default;

void DateFormatter::setLocale(Locale locale) {
    locale_ = std::move(locale);
}

void DateFormatter::setTimeZone(TimeZone zone) {
    zone_ = std::move(zone);
}

void DateFormatter::setDateFormat(std::string pattern) {
    pattern_ = std::move(pattern);
}

void DateFormatter::setLocalizedDateFormatFromTemplate(std::string_view dateTemplate) {
    pattern_ = dateFormatFromTemplate(dateTemplate, locale_);
}

std::string DateFormatter::dateFormatFromTemplate(std::string_view dateTemplate,
                                                  const Locale& locale) {
    const icu::UnicodeString skeleton = skeletonOf(dateTemplate);
    if (skeleton.isEmpty()) return {};
    return bestPattern(locale.identifier(), skeleton);
}

std::string DateFormatter::string(std::chrono::system_clock::time_point date) const {
    if (pattern_.empty()) return {};
    const std::string localeId = locale_.identifier();
    const std::string zoneId = zone_.identifier();
    const std::string key = localeId + '\n' + zoneId + '\n' + pattern_;
    if (!cache_) cache_ = std::make_unique<Cache>();
    if (!cache_->format || cache_->key != key) {
        UErrorCode status = U_ZERO_ERROR;
        auto format = std::make_unique<icu::SimpleDateFormat>(
            icu::UnicodeString::fromUTF8(pattern_), icu::Locale::createFromName(localeId.c_str()),
            status);
        if (U_FAILURE(status)) return {};
        format->adoptTimeZone(icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(zoneId)));
        cache_->format = std::move(format);
        cache_->key = key;
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(date.time_since_epoch());
    icu::UnicodeString out;
    cache_->format->format(UDate(ms.count()), out);
    std::string text;
    out.toUTF8String(text);
    return text;
}

}  // namespace text
