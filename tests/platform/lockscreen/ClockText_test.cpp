#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>

#include "platform/lockscreen/ClockText.h"

using lockscreen::lockScreenDateText;
using lockscreen::lockScreenTimePattern;
using lockscreen::lockScreenTimeText;

namespace {

dispatch::Date at(std::time_t seconds) {
    return std::chrono::system_clock::from_time_t(seconds);
}

class ClockText : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }
    void TearDown() override { ::setenv("LC_ALL", "en_US", 1); }
};

constexpr std::time_t kMorning = 1796636460;             // Mon 2026-12-07 09:41 UTC
constexpr std::time_t kAfternoon = kMorning + 6 * 3600;  // 15:41

}  // namespace

TEST_F(ClockText, TimeDropsTheDayPeriodButKeepsTheLocalesHours) {
    // en_US writes "h:mm a" with a narrow no-break space before the marker: both go.
    EXPECT_EQ(lockScreenTimePattern("en_US"), "h:mm");
    ::setenv("LC_ALL", "en_US", 1);
    EXPECT_EQ(lockScreenTimeText(at(kMorning)), "9:41");
    EXPECT_EQ(lockScreenTimeText(at(kAfternoon)), "3:41");
    ::setenv("LC_ALL", "de_DE", 1);
    EXPECT_EQ(lockScreenTimeText(at(kAfternoon)), "15:41");
    ::setenv("LC_ALL", "zh_CN", 1);
    const std::string chinese = lockScreenTimeText(at(kMorning));
    EXPECT_NE(chinese.find("41"), std::string::npos);
    EXPECT_EQ(chinese.find("上午"), std::string::npos);
}

TEST_F(ClockText, DateSpellsOutWeekdayAndMonthInTheLocale) {
    ::setenv("LC_ALL", "en_US", 1);
    EXPECT_EQ(lockScreenDateText(at(kMorning)), "Monday, December 7");
    ::setenv("LC_ALL", "zh_CN", 1);
    EXPECT_EQ(lockScreenDateText(at(kMorning)), "12月7日星期一");
}
