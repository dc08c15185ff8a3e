// Publishing an update: what the update server serves below /update/ for
// the two programs, made from their built executables.
#pragma once
#include <map>
#include <string>

namespace vl::update {

struct PublishedUpdate {
  std::string manifest;                      // Update.xml
  std::map<std::string, std::string> files;  // packed file name -> zlib stream
  std::string programVersion, updaterVersion;
};

// From the bytes of Vantorel.exe and Update.exe, with `baseUrl` the address
// under which the folder will be served (".../update/"). False with `error`
// when an executable has no version or the data cannot be packed.
bool MakeUpdate(const std::string& program, const std::string& updater, const std::string& baseUrl,
                PublishedUpdate& out, std::string& error);

// One zlib stream (RFC 1950) of `data`, as the programs inflate it.
std::string ZlibStream(const std::string& data);

}  // namespace vl::update
