// Local time as the program stores it: "yyyymmddhhnnss" (sysset, backup
// file names) and "yyyy-mm-dd hh:nn:ss" (startup table).
#pragma once
#include <cstdint>
#include <string>

namespace vl {

std::string NowTimestamp();
std::string NowDateTimeText();
// Milliseconds since 1970-01-01 UTC.
int64_t NowMillis();

}  // namespace vl
