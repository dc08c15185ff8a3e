// For the update tests: the test key trusted through the machine policy,
// and manifests signed with it (or with a key nobody trusts).
#pragma once
#include <string>
#include <vector>

#include "app/clock.h"
#include "sysaccess/registry.h"
#include "sysaccess/signature.h"
#include "sysaccess/testing/test_keys.h"
#include "sysaccess/text.h"
#include "update/manifest.h"
#include "update/trust.h"

namespace vl::update::test_signing {

// Writes the policy values as an administrator would: UpdateKeys as
// REG_MULTI_SZ, UpdateServer as REG_SZ when not empty.
inline bool WritePolicy(sys::RegistryApi& api, const std::vector<std::string>& keys, const std::string& server = "") {
  sys::RegKey key = 0;
  if (api.CreateKey(sys::kHKLM, kPolicyKey, sys::kMaskAll64, &key) != sys::kErrSuccess) return false;
  std::string multi;
  for (const std::string& k : keys) multi += k + std::string(1, '\0');
  multi += std::string(1, '\0');
  bool ok = api.SetValue(key, kPolicyKeys, sys::kRegMultiSz, sys::Utf8ToUtf16Bytes(multi)) == sys::kErrSuccess;
  if (!server.empty())
    ok = ok && api.SetValue(key, kPolicyServer, sys::kRegSz, sys::Utf8ToUtf16Bytes(server + std::string(1, '\0'))) ==
                   sys::kErrSuccess;
  api.CloseKey(key);
  return ok;
}

inline bool TrustTestKey(sys::RegistryApi& api) { return WritePolicy(api, {sys::testing::kTestUpdatePublicKey}); }

// The DER signature of `text` by a test key.
inline std::string SignedBy(const std::string& text, const char* pem = sys::testing::kTestUpdateKeyPem) {
  std::string der, error;
  return sys::SignP256(text, pem, der, error) ? der : std::string();
}

// An expiry `days` from now (negative: already past).
inline std::string ExpiresIn(int days) { return FormatUtcStamp(NowMillis() + days * 86400000LL); }

}  // namespace vl::update::test_signing
