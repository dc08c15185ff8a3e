// Size texts and splitting text.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace vl::sys {

// "0 B", "1.5 KB", "1024.0 MB" ...; `decimalSeparator` as the locale gives it.
std::string FormatSize(uint64_t bytes, const std::string& decimalSeparator);
// The same with the separator the program took from the user's locale at
// start (System::DecimalSeparator; "." until then).
std::string FormatSize(uint64_t bytes);
void UseDecimalSeparator(const std::string& separator);

// Pieces between separators, empty ones included; a final empty piece is not
// appended.
void SplitText(const std::string& text, char separator, std::vector<std::string>& list);

}  // namespace vl::sys
