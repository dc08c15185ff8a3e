// Small Win32 helpers of the window layer: text conversion at the API
// boundary and colours.
#pragma once
#include <windows.h>

#include <string>

#include "ui/ui_model.h"
#include "sysaccess/win32/wide.h"

namespace vl::win {

inline std::wstring W(const std::string& s) { return sys::win32::Wide(s); }
inline std::string U(const std::wstring& w) { return sys::win32::Narrow(w); }

// 0xRRGGBB → COLORREF.
inline COLORREF Rgb(ui::Color c) { return RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }

}  // namespace vl::win
