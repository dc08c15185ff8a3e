// Whether the server's version is newer than the installed one, compared
// the way the manifests have always been read (see IsNewerVersion).
#pragma once
#include <string>

namespace vl::update {

// With a dot in `remote`: both texts become major.minor.release.build,
// each part a whole number (0 when it is not one), printed zero-padded to
// 2, 3, 3 and 4 digits and read as one number; the greater number is
// newer. Without a dot the texts compare byte by byte ("9" after "10").
bool IsNewerVersion(const std::string& local, const std::string& remote);
// The digits of that one number, for tests and logs.
std::string VersionDigits(const std::string& version);

}  // namespace vl::update
