#include "update/publish.h"

#include <zlib.h>

#include "sysaccess/digest.h"
#include "sysaccess/signature.h"
#include "sysaccess/version_info.h"
#include "update/manifest.h"
#include "update/update_files.h"

namespace vl::update {
namespace {

std::string VersionOf(const std::string& exe) {
  std::string block;
  return sys::ExtractVersionResource(exe, block) ? sys::FileVersionFromBlock(block) : std::string();
}

// Element text: the versions and URLs must not carry markup.
std::string Escaped(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '&') out += "&amp;";
    else if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else out += c;
  }
  return out;
}

}  // namespace

std::string ZlibStream(const std::string& data) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  std::string out(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                static_cast<uLong>(data.size()), Z_BEST_COMPRESSION) != Z_OK)
    return std::string();
  out.resize(size);
  return out;
}

bool MakeUpdate(const std::string& program, const std::string& updater, const std::string& baseUrl,
                const std::string& privateKeyPem, int64_t expiresMillis, PublishedUpdate& out, std::string& error) {
  out = PublishedUpdate{};
  out.programVersion = VersionOf(program);
  out.updaterVersion = VersionOf(updater);
  if (out.programVersion.empty() || out.updaterVersion.empty()) {
    error = std::string(out.programVersion.empty() ? "Vantorel.exe" : "Update.exe") + " has no file version";
    return false;
  }
  const std::string programFile = "Vantorel-" + out.programVersion + ".z";
  const std::string updaterFile = "Update-" + out.updaterVersion + ".z";
  if (!IsPlainFileName(programFile) || !IsPlainFileName(updaterFile)) {
    error = "a version gives no plain file name";
    return false;
  }
  out.files[programFile] = ZlibStream(program);
  out.files[updaterFile] = ZlibStream(updater);
  if (out.files[programFile].empty() || out.files[updaterFile].empty()) {
    error = "the programs could not be packed";
    return false;
  }
  std::string base = baseUrl;
  if (!base.empty() && base.back() != '/') base += '/';
  out.manifest = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<updateinformation>\r\n"
                 "  <softver>" + Escaped(out.programVersion) + "</softver>\r\n"
                 "  <softmd5>" + sys::Md5Hex(program) + "</softmd5>\r\n"
                 "  <softsha256>" + sys::Sha256Hex(program) + "</softsha256>\r\n"
                 "  <softsize>" + std::to_string(program.size()) + "</softsize>\r\n"
                 "  <softpos>" + Escaped(base) + "</softpos>\r\n"
                 "  <softfile>" + programFile + "</softfile>\r\n"
                 "  <upver>" + Escaped(out.updaterVersion) + "</upver>\r\n"
                 "  <upmd5>" + sys::Md5Hex(updater) + "</upmd5>\r\n"
                 "  <upsha256>" + sys::Sha256Hex(updater) + "</upsha256>\r\n"
                 "  <upsize>" + std::to_string(updater.size()) + "</upsize>\r\n"
                 "  <uppos>" + Escaped(base) + "</uppos>\r\n"
                 "  <upfile>" + updaterFile + "</upfile>\r\n"
                 "  <expires>" + FormatUtcStamp(expiresMillis) + "</expires>\r\n"
                 "</updateinformation>\r\n";
  // The exact bytes served are the bytes signed.
  if (!sys::SignP256(out.manifest, privateKeyPem, out.signature, error)) {
    error = "the manifest could not be signed: " + error;
    return false;
  }
  return true;
}

}  // namespace vl::update
