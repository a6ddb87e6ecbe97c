#pragma once

#include <string>

#include "platform/dispatch/WallClock.h"

namespace lockscreen {

// The texts of the lock screen's clock and date line, in the process's current locale and local
// time zone, as the system writes them: the time as hours and minutes without a day-period
// marker ("9:41" in en_US, "09:41" in zh_CN), the date with the weekday and month spelt out
// ("Monday, December 7", "12月7日星期一"). Empty when the locale's formats cannot be used.
std::string lockScreenTimeText(dispatch::Date date);
std::string lockScreenDateText(dispatch::Date date);

// The pattern of the time text for a locale: its hour-and-minute pattern with the day-period
// field and the spaces around it removed.
std::string lockScreenTimePattern(const std::string& localeIdentifier);

}  // namespace lockscreen
