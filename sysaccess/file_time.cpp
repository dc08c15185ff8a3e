// File times to calendar date and time.
#include "sysaccess/file_time.h"

namespace vl::sys {

DateTime FileTimeToCalendar(uint64_t ft) {
  DateTime dt;
  // The system rejects file times with the top bit set.
  if (ft >= 0x8000000000000000ull) return dt;
  uint64_t ms = ft / 10000;
  int64_t days = static_cast<int64_t>(ms / 86400000ull);
  uint64_t msOfDay = ms % 86400000ull;
  // Civil date from days since 1601-01-01 (shifted to days since 0000-03-01).
  int64_t z = days + 584694;  // days since 0000-03-01
  int64_t era = z / 146097;
  int64_t doe = z - era * 146097;
  int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t y = yoe + era * 400;
  int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  int64_t mp = (5 * doy + 2) / 153;
  int64_t d = doy - (153 * mp + 2) / 5 + 1;
  int64_t m = mp < 10 ? mp + 3 : mp - 9;
  if (m <= 2) ++y;
  dt.year = static_cast<int>(y);
  dt.month = static_cast<int>(m);
  dt.day = static_cast<int>(d);
  dt.hour = static_cast<int>(msOfDay / 3600000);
  dt.minute = static_cast<int>(msOfDay / 60000 % 60);
  dt.second = static_cast<int>(msOfDay / 1000 % 60);
  dt.millisecond = static_cast<int>(msOfDay % 1000);
  dt.valid = true;
  return dt;
}

double DateTime::ToSerial() const {
  if (!valid) return 0;
  // Days from civil, relative to 1899-12-30.
  auto daysFromCivil = [](int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    int64_t era = (y >= 0 ? y : y - 399) / 400;
    int64_t yoe = y - era * 400;
    int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe;
  };
  int64_t days = daysFromCivil(year, month, day) - daysFromCivil(1899, 12, 30);
  double frac = (hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + millisecond) / 86400000.0;
  return static_cast<double>(days) + frac;
}

DateTime FileTimeToDateTime(System& system, uint64_t fileTime, int mode) {
  uint64_t t = fileTime;
  if (mode == 1 && !system.FileTimeToLocal(fileTime, &t)) return DateTime();
  return FileTimeToCalendar(t);
}

}  // namespace vl::sys
