// English month and weekday names: the simulated platform's locale and the
// fallback when the real locale lacks an item.
#include "sysaccess/system.h"

namespace vl::sys {

DateNames EnglishDateNames() {
  DateNames n;
  n.longMonths = {"January", "February", "March",     "April",   "May",      "June",
                  "July",    "August",   "September", "October", "November", "December"};
  n.shortMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  n.longDays = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  n.shortDays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  n.am = "AM";
  n.pm = "PM";
  return n;
}

}  // namespace vl::sys
