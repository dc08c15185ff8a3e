// Whether the server's version is newer than the installed one.
#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace vl::update {

// A file version: one to four whole numbers 0..65535 separated by dots,
// digits only; missing parts are 0 ("1.2" is 1.2.0.0). False for any
// other text, the empty one included.
bool ParseVersion(const std::string& text, std::array<uint16_t, 4>& parts);

// True when `remote` is a version and greater than `local`, part by part
// as numbers. A remote text that is not a version is never newer; a local
// one that is not a version is older than any version.
bool IsNewerVersion(const std::string& local, const std::string& remote);

// Both texts are versions with the same four numbers.
bool SameVersion(const std::string& a, const std::string& b);

}  // namespace vl::update
