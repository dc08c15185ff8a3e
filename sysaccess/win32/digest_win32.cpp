// MD5 for the Windows build: CryptoAPI's base provider.
#include <windows.h>
#include <wincrypt.h>

#include <algorithm>

#include "sysaccess/digest.h"

namespace vl::sys {

std::string Md5Hex(const std::string& data) {
  HCRYPTPROV provider = 0;
  if (!CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) return "";
  std::string out;
  HCRYPTHASH hash = 0;
  if (CryptCreateHash(provider, CALG_MD5, 0, 0, &hash)) {
    bool ok = true;
    // CryptHashData takes a DWORD length: large inputs go in pieces.
    for (size_t at = 0; ok && at < data.size();) {
      const DWORD piece = static_cast<DWORD>(std::min<size_t>(data.size() - at, 1u << 30));
      ok = CryptHashData(hash, reinterpret_cast<const BYTE*>(data.data() + at), piece, 0) != FALSE;
      at += piece;
    }
    BYTE digest[16];
    DWORD length = sizeof digest;
    if (ok && CryptGetHashParam(hash, HP_HASHVAL, digest, &length, 0) && length == sizeof digest) {
      static const char kHex[] = "0123456789abcdef";
      for (BYTE b : digest) {
        out.push_back(kHex[b >> 4]);
        out.push_back(kHex[b & 15]);
      }
    }
    CryptDestroyHash(hash);
  }
  CryptReleaseContext(provider, 0);
  return out;
}

}  // namespace vl::sys
