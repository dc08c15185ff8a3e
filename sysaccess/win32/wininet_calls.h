// The WinINet calls of the HTTP backend, bound at run time from the system
// folder (wininet.dll is no KnownDLL, so an import would load a copy planted
// beside the program). Declared in vl::sys, they hide the imported functions
// of the same names for the code of that namespace; a call that fails to
// bind fails with ERROR_PROC_NOT_FOUND.
#pragma once
#include <windows.h>
#include <wininet.h>

#include "sysaccess/win32/system_dll.h"

namespace vl::sys {

#define VL_WININET_CALL(ret, fail, name, params, args)                                                 \
  inline ret name params {                                                                             \
    static const auto fn = win32::SystemFunction<decltype(&::name)>(L"wininet.dll", #name);            \
    if (!fn) {                                                                                         \
      SetLastError(ERROR_PROC_NOT_FOUND);                                                              \
      return fail;                                                                                     \
    }                                                                                                  \
    return fn args;                                                                                    \
  }

VL_WININET_CALL(HINTERNET, nullptr, InternetOpenW, (LPCWSTR a, DWORD t, LPCWSTR p, LPCWSTR b, DWORD f),
                (a, t, p, b, f))
VL_WININET_CALL(BOOL, FALSE, InternetCloseHandle, (HINTERNET h), (h))
VL_WININET_CALL(BOOL, FALSE, InternetSetOptionW, (HINTERNET h, DWORD o, LPVOID b, DWORD n), (h, o, b, n))
VL_WININET_CALL(BOOL, FALSE, InternetQueryOptionW, (HINTERNET h, DWORD o, LPVOID b, LPDWORD n), (h, o, b, n))
VL_WININET_CALL(HINTERNET, nullptr, InternetOpenUrlW,
                (HINTERNET h, LPCWSTR u, LPCWSTR hd, DWORD hn, DWORD f, DWORD_PTR c), (h, u, hd, hn, f, c))
VL_WININET_CALL(HINTERNET, nullptr, InternetConnectW,
                (HINTERNET h, LPCWSTR s, INTERNET_PORT p, LPCWSTR u, LPCWSTR pw, DWORD sv, DWORD f, DWORD_PTR c),
                (h, s, p, u, pw, sv, f, c))
VL_WININET_CALL(HINTERNET, nullptr, HttpOpenRequestW,
                (HINTERNET h, LPCWSTR v, LPCWSTR o, LPCWSTR ver, LPCWSTR r, LPCWSTR* a, DWORD f, DWORD_PTR c),
                (h, v, o, ver, r, a, f, c))
VL_WININET_CALL(BOOL, FALSE, HttpSendRequestW, (HINTERNET h, LPCWSTR hd, DWORD hn, LPVOID o, DWORD on),
                (h, hd, hn, o, on))
VL_WININET_CALL(BOOL, FALSE, HttpQueryInfoW, (HINTERNET h, DWORD i, LPVOID b, LPDWORD n, LPDWORD x),
                (h, i, b, n, x))
VL_WININET_CALL(BOOL, FALSE, InternetReadFile, (HINTERNET h, LPVOID b, DWORD n, LPDWORD r), (h, b, n, r))
VL_WININET_CALL(BOOL, FALSE, InternetQueryDataAvailable, (HINTERNET h, LPDWORD n, DWORD f, DWORD_PTR c),
                (h, n, f, c))
VL_WININET_CALL(INTERNET_STATUS_CALLBACK, INTERNET_INVALID_STATUS_CALLBACK, InternetSetStatusCallbackW,
                (HINTERNET h, INTERNET_STATUS_CALLBACK cb), (h, cb))
VL_WININET_CALL(BOOL, FALSE, InternetCombineUrlW, (LPCWSTR b, LPCWSTR r, LPWSTR o, LPDWORD n, DWORD f),
                (b, r, o, n, f))

#undef VL_WININET_CALL

}  // namespace vl::sys
