// Text conversion and case folding shared by the backends.
#include "sysaccess/text.h"

#include <algorithm>

namespace vl::sys {

std::u16string Utf8ToUtf16(const std::string& s) {
  std::u16string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    char32_t cp;
    int extra;
    if (c < 0x80) { cp = c; extra = 0; }
    else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; extra = 1; }
    else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; extra = 2; }
    else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; extra = 3; }
    else { out.push_back(0xFFFD); ++i; continue; }
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      if (i + k >= s.size()) { ok = false; break; }
      unsigned char cc = static_cast<unsigned char>(s[i + k]);
      if ((cc & 0xC0) != 0x80) { ok = false; break; }
      cp = (cp << 6) | (cc & 0x3F);
    }
    static const char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (!ok || cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    i += extra + 1;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

static void PutUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

std::string Utf16ToUtf8(const std::u16string& s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    char32_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;  // lone surrogate
    }
    PutUtf8(out, c);
  }
  return out;
}

bool IsWellFormedUtf16(const std::u16string& s) {
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] >= 0xD800 && s[i] <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      ++i;
    } else if (s[i] >= 0xD800 && s[i] <= 0xDFFF) {
      return false;
    }
  }
  return true;
}

std::string Utf16BytesToUtf8(const std::string& bytes) {
  std::u16string w;
  w.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    w.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                      (static_cast<unsigned char>(bytes[i + 1]) << 8)));
  return Utf16ToUtf8(w);
}

std::string Utf8ToUtf16Bytes(const std::string& text) {
  std::u16string w = Utf8ToUtf16(text);
  std::string out;
  out.reserve(w.size() * 2);
  for (char16_t c : w) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>(c >> 8));
  }
  return out;
}

std::string Latin1ToUtf8(const std::string& bytes) {
  std::string out;
  for (char c : bytes) PutUtf8(out, static_cast<unsigned char>(c));
  return out;
}

// Simple case mapping for the scripts names are written in (Latin, Greek,
// Cyrillic); enough for names compared the way the registry compares them.
char16_t UpperChar(char16_t c) {
  if (c >= u'a' && c <= u'z') return c - 0x20;
  if (c < 0xB5) return c;
  if (c == 0xB5) return 0x39C;
  if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
  if (c == 0xFF) return 0x178;
  if (c >= 0x100 && c <= 0x17F) {
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c : c - 1;
    if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
    return (c & 1) ? c - 1 : c;
  }
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 0x20;
  if (c >= 0x430 && c <= 0x44F) return c - 0x20;
  if (c >= 0x450 && c <= 0x45F) return c - 0x50;
  if (c >= 0x460 && c <= 0x4FF && (c & 1)) return c - 1;
  return c;
}

char16_t LowerChar(char16_t c) {
  if (c >= u'A' && c <= u'Z') return c + 0x20;
  if (c < 0xC0) return c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
  if (c == 0x178) return 0xFF;
  if (c >= 0x100 && c <= 0x17F) {
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c + 1 : c;
    if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
    return (c & 1) ? c : c + 1;
  }
  if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 0x20;
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  if (c >= 0x460 && c <= 0x4FF && !(c & 1)) return c + 1;
  return c;
}

std::string ToLowerText(const std::string& text) {
  bool ascii = true;
  for (char c : text) if (static_cast<unsigned char>(c) >= 0x80) { ascii = false; break; }
  if (ascii) {
    std::string out = text;
    for (char& c : out) if (c >= 'A' && c <= 'Z') c += 0x20;
    return out;
  }
  std::u16string w = Utf8ToUtf16(text);
  for (char16_t& c : w) c = LowerChar(c);
  return Utf16ToUtf8(w);
}

std::string ToUpperText(const std::string& text) {
  std::u16string w = Utf8ToUtf16(text);
  for (char16_t& c : w) c = UpperChar(c);
  return Utf16ToUtf8(w);
}

int CompareNoCase(const std::string& a, const std::string& b) {
  std::u16string wa = Utf8ToUtf16(a), wb = Utf8ToUtf16(b);
  size_t n = std::min(wa.size(), wb.size());
  for (size_t i = 0; i < n; ++i) {
    char16_t x = UpperChar(wa[i]), y = UpperChar(wb[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (wa.size() == wb.size()) return 0;
  return wa.size() < wb.size() ? -1 : 1;
}

bool EqualsNoCase(const std::string& a, const std::string& b) {
  if (a.size() == b.size()) {
    bool same = true;
    for (size_t i = 0; i < a.size(); ++i) {
      char x = a[i], y = b[i];
      if (x == y) continue;
      if (static_cast<unsigned char>(x) >= 0x80 || static_cast<unsigned char>(y) >= 0x80) { same = false; break; }
      if (x >= 'a' && x <= 'z') x -= 0x20;
      if (y >= 'a' && y <= 'z') y -= 0x20;
      if (x != y) return false;
    }
    if (same) return true;
  }
  return CompareNoCase(a, b) == 0;
}

size_t Utf16Length(const std::string& text) { return Utf8ToUtf16(text).size(); }

std::string Trim(const std::string& text) {
  size_t b = 0, e = text.size();
  while (b < e && static_cast<unsigned char>(text[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
  return text.substr(b, e - b);
}

std::string AsciiLower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

}  // namespace vl::sys
