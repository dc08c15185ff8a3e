// Publishing an update: what the update server serves below /update/ for
// the two programs, made from their built executables.
#pragma once
#include <cstdint>
#include <map>
#include <string>

namespace vl::update {

struct PublishedUpdate {
  std::string manifest;                      // Update.xml
  std::string signature;                     // Update.xml.sig (DER)
  std::map<std::string, std::string> files;  // packed file name -> zlib stream
  std::string programVersion, updaterVersion;
};

// From the bytes of Vantorel.exe and Update.exe, with `baseUrl` the address
// under which the folder will be served (".../update/"), signed with the
// P-256 private key `privateKeyPem` and valid until `expiresMillis` (UTC).
// False with `error` when an executable has no version, the data cannot be
// packed or the key cannot sign.
bool MakeUpdate(const std::string& program, const std::string& updater, const std::string& baseUrl,
                const std::string& privateKeyPem, int64_t expiresMillis, PublishedUpdate& out, std::string& error);

// Manifests are valid this long unless the publisher says otherwise.
constexpr int kDefaultValidDays = 30;

// One zlib stream (RFC 1950) of `data`, as the programs inflate it.
std::string ZlibStream(const std::string& data);

}  // namespace vl::update
