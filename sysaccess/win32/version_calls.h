// The version-resource calls, bound at run time from the system folder
// (version.dll is no KnownDLL, so an import would load a copy planted beside
// the program). Declared in vl::sys, they hide the imported functions of the
// same names for the code of that namespace.
#pragma once
#include <windows.h>

#include "sysaccess/win32/system_dll.h"

namespace vl::sys {

inline DWORD GetFileVersionInfoSizeW(LPCWSTR file, LPDWORD handle) {
  static const auto fn =
      win32::SystemFunction<decltype(&::GetFileVersionInfoSizeW)>(L"version.dll", "GetFileVersionInfoSizeW");
  if (!fn) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return 0;
  }
  return fn(file, handle);
}

inline BOOL GetFileVersionInfoW(LPCWSTR file, DWORD handle, DWORD size, LPVOID data) {
  static const auto fn = win32::SystemFunction<decltype(&::GetFileVersionInfoW)>(L"version.dll", "GetFileVersionInfoW");
  if (!fn) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return FALSE;
  }
  return fn(file, handle, size, data);
}

inline BOOL VerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, PUINT length) {
  static const auto fn = win32::SystemFunction<decltype(&::VerQueryValueW)>(L"version.dll", "VerQueryValueW");
  if (!fn) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return FALSE;
  }
  return fn(block, subBlock, buffer, length);
}

}  // namespace vl::sys
