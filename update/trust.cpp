#include "update/trust.h"

#include "sysaccess/signature.h"
#include "sysaccess/text.h"

namespace vl::update {

// The private half is kept by the publisher, outside the repository.
const char* const kReleaseUpdateKey =
    "MFkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDQgAE7xEX79pw+vxBLkidA3NXuHh6XSyU2wkoFLgxb8x1e+1kLTuF4Ri56d3qBRBxLm3SUxE7Tt1wcUV6JfJj2Q660g==";

namespace {

std::string Trimmed(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return std::string();
  return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

// KEY_READ in the 64-bit view: the policy key is the same for both builds.
constexpr uint32_t kReadMask = 0x20019u | sys::kWow64Key64;

}  // namespace

UpdatePolicy ReadUpdatePolicy(sys::RegistryApi& registry) {
  UpdatePolicy policy;
  sys::ScopedKey key(registry, sys::kHKLM, kPolicyKey, kReadMask);
  if (!key.ok()) return policy;
  auto read = [&](const char* name, uint32_t type, std::string& text) {
    sys::RegData size;
    if (registry.QueryValue(key.get(), name, 0, &size) != sys::kErrSuccess || size.type != type ||
        size.size > 256 * 1024)
      return false;
    sys::RegData data;
    if (registry.QueryValue(key.get(), name, size.size + 2, &data) != sys::kErrSuccess || data.type != type)
      return false;
    text = sys::Utf16BytesToUtf8(data.bytes);
    return true;
  };
  std::string text;
  if (read(kPolicyServer, sys::kRegSz, text)) policy.server = Trimmed(text.substr(0, text.find('\0')));
  if (read(kPolicyKeys, sys::kRegMultiSz, text)) {
    for (size_t at = 0; at < text.size();) {
      size_t end = text.find('\0', at);
      if (end == std::string::npos) end = text.size();
      std::string one = Trimmed(text.substr(at, end - at));
      if (!one.empty()) policy.keys.push_back(one);
      at = end + 1;
    }
  }
  return policy;
}

std::vector<std::string> TrustedUpdateKeys(sys::RegistryApi& registry) {
  std::vector<std::string> keys{kReleaseUpdateKey};
  for (const std::string& k : ReadUpdatePolicy(registry).keys) keys.push_back(k);
  return keys;
}

bool SignedByAny(const std::string& data, const std::string& signature, const std::vector<std::string>& keys) {
  for (const std::string& k : keys)
    if (sys::VerifyP256Signature(data, signature, k)) return true;
  return false;
}

}  // namespace vl::update
