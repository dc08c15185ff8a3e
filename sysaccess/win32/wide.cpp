// UTF-8 <-> UTF-16 at the Win32 boundary (wchar_t is 16 bits there).
#include "sysaccess/win32/wide.h"

#include "sysaccess/text.h"

namespace vl::sys::win32 {

static_assert(sizeof(wchar_t) == 2, "the Win32 backend needs 16-bit wchar_t");

std::wstring Wide(const std::string& utf8) {
  std::u16string w = Utf8ToUtf16(utf8);
  return std::wstring(w.begin(), w.end());
}

std::string Narrow(const wchar_t* wide, size_t length) {
  return Utf16ToUtf8(std::u16string(wide, wide + length));
}

std::string Narrow(const std::wstring& wide) { return Narrow(wide.data(), wide.size()); }

}  // namespace vl::sys::win32
