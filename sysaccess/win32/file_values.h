// 64-bit numbers from the two 32-bit halves the find and file-time calls give.
#pragma once
#include <windows.h>

#include <cstdint>

namespace vl::sys::win32 {

inline uint64_t Join(DWORD high, DWORD low) { return (static_cast<uint64_t>(high) << 32) | low; }
inline uint64_t Time(const FILETIME& ft) { return Join(ft.dwHighDateTime, ft.dwLowDateTime); }

}  // namespace vl::sys::win32
