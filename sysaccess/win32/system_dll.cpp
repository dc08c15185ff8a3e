// Loading of system DLLs from the system folder.
#include "sysaccess/win32/system_dll.h"

#include <map>
#include <mutex>
#include <string>

namespace vl::sys::win32 {

namespace {
#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
constexpr DWORD LOAD_LIBRARY_SEARCH_SYSTEM32 = 0x00000800;
#endif

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
}  // namespace

void RestrictDllSearchToSystem() {
  // Windows 7 has the call only with its 2011 loader update; without it the
  // full system path below keeps the loads safe.
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  auto setDefault = kernel ? reinterpret_cast<SetDefaultDllDirectoriesFn>(
                                 reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")))
                           : nullptr;
  if (setDefault) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
  // The current folder is never searched either.
  SetDllDirectoryW(L"");
}

HMODULE SystemDll(const wchar_t* fileName) {
  static std::mutex lock;
  static std::map<std::wstring, HMODULE> loaded;
  std::lock_guard<std::mutex> hold(lock);
  auto it = loaded.find(fileName);
  if (it != loaded.end()) return it->second;
  HMODULE module = LoadLibraryExW(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!module) {
    // A loader without the search flags refuses it as a bad parameter: name
    // the file by its full path in the system folder instead.
    wchar_t system[MAX_PATH + 1] = {0};
    UINT n = GetSystemDirectoryW(system, MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
      std::wstring path = std::wstring(system, n) + L"\\" + fileName;
      module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
  }
  loaded[fileName] = module;
  return module;
}

}  // namespace vl::sys::win32
