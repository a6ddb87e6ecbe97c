#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <optional>

#include "platform/text/DateFormatter.h"
#include "platform/text/NumberParser.h"

using text::DateFormatter;
using text::Locale;
using text::NumberParser;
using text::TimeZone;

namespace {

// 2026-12-07 12:00 UTC, a Monday.
const auto kMonday = std::chrono::system_clock::time_point(std::chrono::seconds(1796644800));

// Sets environment variables for one test and puts the old values back.
class Environment : public ::testing::Test {
  protected:
    void set(const char* name, const char* value) {
        if (!saved_.count(name)) {
            const char* old = getenv(name);
            saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        if (value) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    void TearDown() override {
        for (const auto& [name, value] : saved_) {
            if (value) {
                setenv(name.c_str(), value->c_str(), 1);
            } else {
                unsetenv(name.c_str());
            }
        }
    }

  private:
    std::map<std::string, std::optional<std::string>> saved_;
};

std::string formatTemplate(const char* locale, const char* dateTemplate, const char* zone) {
    DateFormatter f;
    f.setLocale(Locale(locale));
    f.setTimeZone(*TimeZone::named(zone));
    f.setLocalizedDateFormatFromTemplate(dateTemplate);
    return f.string(kMonday);
}

}  // namespace

TEST(DateFormatter, TemplateTakesEachLocalesOrderAndWords) {
    EXPECT_EQ(DateFormatter::dateFormatFromTemplate("EEE MMM d", Locale("en_US")), "EEE, MMM d");
    EXPECT_EQ(formatTemplate("en_US", "EEE MMM d", "UTC"), "Mon, Dec 7");
    EXPECT_EQ(formatTemplate("zh_CN", "EEE MMM d", "UTC"), "12月7日周一");
    EXPECT_EQ(formatTemplate("en_US", "EEE MMM d", "Pacific/Kiritimati"), "Tue, Dec 8")
        << "the zone decides the day";
    EXPECT_EQ(DateFormatter::dateFormatFromTemplate(" ,. ", Locale("en_US")), "");

    DateFormatter none;
    EXPECT_EQ(none.string(kMonday), "") << "no pattern, no text";
}

TEST_F(Environment, AutoUpdatingLocaleAndLocalZoneFollowTheEnvironment) {
    set("LC_ALL", nullptr);
    set("LANG", "de_DE.UTF-8");
    set("TZ", "UTC");
    DateFormatter f;  // current locale, local zone
    EXPECT_TRUE(f.locale().isAutoupdating());
    EXPECT_EQ(f.locale().identifier(), "de_DE");
    f.setDateFormat("EEE d MMM");
    EXPECT_EQ(f.string(kMonday), "Mo. 7 Dez.");

    set("LANG", "en_US.UTF-8");
    set("TZ", "Pacific/Kiritimati");
    EXPECT_EQ(f.string(kMonday), "Tue 8 Dec") << "same formatter, new environment";
    set("LC_ALL", "zh_CN.UTF-8");
    EXPECT_EQ(Locale::current().identifier(), "zh_CN") << "LC_ALL wins over LANG";
    set("LC_ALL", "C");
    EXPECT_EQ(Locale::current().identifier(), "en_US_POSIX");
}

TEST(Locale, IdentifiersAreCanonicalAndUnknownZonesRefused) {
    EXPECT_EQ(Locale("de_DE.UTF-8@euro").identifier(), "de_DE");
    EXPECT_EQ(Locale("th_TH@calendar=buddhist").identifier(), "th_TH@calendar=buddhist");
    EXPECT_EQ(Locale("en-US").identifier(), "en_US");
    EXPECT_FALSE(Locale("fr_FR").isAutoupdating());
    EXPECT_TRUE(TimeZone::named("Europe/Berlin"));
    EXPECT_FALSE(TimeZone::named("Nowhere/Atlantis"));
}

TEST(NumberParser, ReadsTheLocalesSeparatorsAndTellsFailureFromZero) {
    const NumberParser german(Locale("de_DE"));
    const NumberParser american(Locale("en_US"));
    EXPECT_EQ(german.parse("1,5"), 1.5);
    EXPECT_EQ(american.parse("1,5"), std::nullopt) << "not a misplaced grouping read as 15";
    EXPECT_EQ(american.parse("1.5"), 1.5);
    EXPECT_EQ(german.parse("1.5"), std::nullopt);
    EXPECT_EQ(american.parse("1,500.25"), 1500.25);
    EXPECT_EQ(german.parse("-2.000,5"), -2000.5);

    EXPECT_EQ(american.parse("0"), 0.0);
    EXPECT_TRUE(american.parse("0").has_value());
    EXPECT_EQ(american.parse("  42 \n"), 42.0) << "surrounding white space is ignored";
    for (const char* bad : {"", "   ", "abc", "1.5x", "x1.5", "1 5", "NaN", "∞"}) {
        EXPECT_EQ(american.parse(bad), std::nullopt) << bad;
    }
}

TEST_F(Environment, DefaultNumberParserUsesTheCurrentLocale) {
    set("LC_ALL", "de_DE.UTF-8");
    const NumberParser parser;
    EXPECT_EQ(parser.parse("0,25"), 0.25);
    set("LC_ALL", "en_US.UTF-8");
    EXPECT_EQ(parser.parse("0,25"), std::nullopt);
    EXPECT_EQ(parser.parse("0.25"), 0.25);
}
