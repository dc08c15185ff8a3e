// Update.xml, the manifest on the update server: which Vantorel and which
// updater are the newest, and where their compressed files lie. It is
// believed only with Update.xml.sig beside it, a signature of its exact
// bytes by a trusted key (update/trust.h).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "sysaccess/files.h"

namespace vl::update {

// The texts of the elements; a missing element reads as "".
struct Manifest {
  std::string softver, softmd5, softpos, softfile;
  std::string upver, upmd5, uppos, upfile;
  // SHA-256 (lowercase hex) and byte count of the unpacked programs, and
  // the UTC time after which the manifest is stale (yyyymmddhhnnss).
  std::string softsha256, softsize, upsha256, upsize, expires;
};

// False, with the parser's error text in `error`, when the text is not XML
// or its top element is not `updateinformation`.
bool ParseManifest(const std::string& xml, Manifest& out, std::string& error);

enum class ManifestRead { kOk, kUnreadable, kBadSignature, kExpired, kNotManifest };

// Reads the manifest and its signature file once, checks the signature of
// exactly those bytes against `keys` and the expiry against `nowMillis`
// (UTC), and only then parses them. `error` says why for logs; with
// kNotManifest it is the parser's text.
ManifestRead ReadSignedManifest(sys::FileSystem& files, const std::string& xmlPath, const std::string& sigPath,
                                const std::vector<std::string>& keys, int64_t nowMillis, Manifest& out,
                                std::string& error);

// yyyymmddhhnnss (UTC) as milliseconds since 1970; false when the text is
// not such a time.
bool ParseUtcStamp(const std::string& text, int64_t& millis);
// The reverse (seconds and below dropped to whole seconds).
std::string FormatUtcStamp(int64_t millis);

}  // namespace vl::update
