// Display texts of the 14-digit timestamps "yyyymmddhhnnss" that sysset
// and the backup list store.
#pragma once
#include <string>

#include "sysaccess/system.h"

namespace vl {

// Style 1 "2024-03-05 14:30:00", 2 "March 5, 2024 (14:30:00)",
// 3 "Tue. March 5, 2024. 02:30 PM"; empty for another style, for a text
// that is not 14 characters long ("0" = never) and for parts that form no
// valid date. A part that is not a whole number takes its default
// (2013-02-18 16:55:01).
std::string TimestampText(const std::string& timestamp, int style, const sys::DateNames& names);
std::string TimestampText(const std::string& timestamp, int style, sys::System& system);

// Day of the week of a Gregorian date, 0 = Sunday.
int DayOfWeek(int year, int month, int day);

// Style of the status page's dates for a system language: 1 for the Chinese
// locales (1028, 2052, 3076, 4100), 3 for every other.
int DateStyleFor(int languageId);

}  // namespace vl
