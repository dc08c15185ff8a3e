// UTF-8 <-> UTF-16 conversion and the Windows-style letter case rules that
// both backends share (names are compared without regard to case).
#pragma once
#include <string>

namespace vl::sys {

// Invalid input becomes U+FFFD; never throws.
std::u16string Utf8ToUtf16(const std::string& text);
std::string Utf16ToUtf8(const std::u16string& text);

// UTF-16LE bytes (as the registry stores text) <-> UTF-8. An odd trailing byte
// is dropped.
std::string Utf16BytesToUtf8(const std::string& bytes);
std::string Utf8ToUtf16Bytes(const std::string& text);

// Single bytes taken as Latin-1 code points.
std::string Latin1ToUtf8(const std::string& bytes);

char16_t UpperChar(char16_t c);
char16_t LowerChar(char16_t c);
std::string ToLowerText(const std::string& text);
std::string ToUpperText(const std::string& text);
bool EqualsNoCase(const std::string& a, const std::string& b);
// Ordering used for registry subkeys: upper-cased UTF-16 code units.
int CompareNoCase(const std::string& a, const std::string& b);

// Without leading and trailing blanks and control characters (bytes up to
// the space).
std::string Trim(const std::string& text);
// ASCII letters lowered, every other byte kept, so positions stay those of
// the original text.
std::string AsciiLower(std::string text);

// False when a surrogate stands without its partner (such text has no UTF-8
// form; converting it would change it).
bool IsWellFormedUtf16(const std::u16string& text);

// Length in UTF-16 code units (what the wide calls count).
size_t Utf16Length(const std::string& text);

}  // namespace vl::sys
