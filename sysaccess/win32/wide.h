// UTF-8 <-> UTF-16 at the Win32 boundary.
#pragma once
#include <string>

namespace vl::sys::win32 {

std::wstring Wide(const std::string& utf8);
std::string Narrow(const std::wstring& wide);
std::string Narrow(const wchar_t* wide, size_t length);

}  // namespace vl::sys::win32
