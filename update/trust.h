// Which update manifests the programs believe: those signed by the release
// key compiled in or by a key the machine's administrators added through
// policy, and where the policy says the server is.
#pragma once
#include <string>
#include <vector>

#include "sysaccess/registry.h"

namespace vl::update {

// HKLM\SOFTWARE\Policies\Vantorel: only administrators can write there.
constexpr const char* kPolicyKey = "SOFTWARE\\Policies\\Vantorel";
constexpr const char* kPolicyServer = "UpdateServer";  // REG_SZ
constexpr const char* kPolicyKeys = "UpdateKeys";      // REG_MULTI_SZ of base64 public keys

// The release public key (base64 DER SubjectPublicKeyInfo, P-256).
extern const char* const kReleaseUpdateKey;

struct UpdatePolicy {
  std::string server;             // empty when not set
  std::vector<std::string> keys;  // as written, blanks trimmed
};
UpdatePolicy ReadUpdatePolicy(sys::RegistryApi& registry);

// The release key first, then the policy's keys.
std::vector<std::string> TrustedUpdateKeys(sys::RegistryApi& registry);

// True when `signature` is a valid signature of `data` by one of `keys`.
bool SignedByAny(const std::string& data, const std::string& signature, const std::vector<std::string>& keys);

}  // namespace vl::update
