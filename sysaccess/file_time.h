// Calendar dates of file times.
#pragma once
#include <cstdint>

#include "sysaccess/system.h"

namespace vl::sys {

// Calendar date and time of a file time.
struct DateTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
  bool valid = false;
  // Days since 1899-12-30 with the time as fraction (the usual date-time value).
  double ToSerial() const;
};
// Mode 1: converted to local time first; any other mode: as it is.
DateTime FileTimeToDateTime(System& system, uint64_t fileTime, int mode);
DateTime FileTimeToCalendar(uint64_t fileTime);

}  // namespace vl::sys
