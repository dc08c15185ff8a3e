// System DLLs that are not KnownDLLs (version, wininet, bcrypt ...) are
// loaded here at run time from the system folder only, never from the
// program's folder, where anyone who can write there could plant one.
#pragma once
#include <windows.h>

namespace vl::sys::win32 {

// Call first in every entry point: later loads, also those the system makes
// on our behalf, search the system folder only.
void RestrictDllSearchToSystem();

// The DLL of that file name from the system folder, loaded once and kept;
// null when it cannot be loaded.
HMODULE SystemDll(const wchar_t* fileName);

// A function of a system DLL; null when the DLL or the function is missing.
template <class Fn>
Fn SystemFunction(const wchar_t* dll, const char* name) {
  HMODULE module = SystemDll(dll);
  return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace vl::sys::win32
