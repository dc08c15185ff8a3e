// Timestamp texts in the three date styles.
#include "app/timestamp_text.h"

#include <cstdio>

namespace vl {

namespace {

// A whole number: an optional sign and at least one digit, nothing else.
bool WholeNumber(const std::string& s, int* out) {
  size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  if (i == s.size()) return false;
  int n = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    n = n * 10 + (s[i] - '0');
  }
  *out = negative ? -n : n;
  return true;
}

int Part(const std::string& t, size_t at, size_t len, int fallback) {
  int n;
  return WholeNumber(t.substr(at, len), &n) ? n : fallback;
}

bool LeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && LeapYear(y) ? 29 : kDays[m - 1];
}

std::string Two(int n) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d", n);
  return buf;
}

}  // namespace

// 0 = Sunday (Gregorian calendar).
int DayOfWeek(int y, int m, int d) {
  static const int kOffset[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (m < 3) y -= 1;
  return (y + y / 4 - y / 100 + y / 400 + kOffset[m - 1] + d) % 7;
}

std::string TimestampText(const std::string& t, int style, const sys::DateNames& names) {
  if (t.size() != 14 || style < 1 || style > 3) return "";
  const int year = Part(t, 0, 4, 2013), month = Part(t, 4, 2, 2), day = Part(t, 6, 2, 18);
  const int hour = Part(t, 8, 2, 16), minute = Part(t, 10, 2, 55), second = Part(t, 12, 2, 1);
  // Parts that form no date or time give no text rather than a wrong one.
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) ||
      hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
    return "";
  char yyyy[8];
  std::snprintf(yyyy, sizeof yyyy, "%04d", year);
  const std::string& monthName = names.longMonths[month - 1];
  switch (style) {
    case 1:
      return std::string(yyyy) + "-" + Two(month) + "-" + Two(day) + " " + Two(hour) + ":" + Two(minute) +
             ":" + Two(second);
    case 2:
      return monthName + " " + std::to_string(day) + ", " + yyyy + " (" + Two(hour) + ":" + Two(minute) +
             ":" + Two(second) + ")";
    default: {
      // With a clock designator the hour is on the 12-hour clock.
      int h12 = hour % 12 == 0 ? 12 : hour % 12;
      return names.shortDays[DayOfWeek(year, month, day)] + ". " + monthName + " " + std::to_string(day) +
             ", " + yyyy + ". " + Two(h12) + ":" + Two(minute) + " " + (hour < 12 ? names.am : names.pm);
    }
  }
}

std::string TimestampText(const std::string& timestamp, int style, sys::System& system) {
  if (timestamp.size() != 14) return "";
  return TimestampText(timestamp, style, system.UserDateNames());
}

int DateStyleFor(int languageId) {
  switch (languageId) {
    case 1028: case 2052: case 3076: case 4100: return 1;
    default: return 3;
  }
}

}  // namespace vl
