// P-256 signatures and SHA-256 for the Windows build: CNG. bcrypt.dll is no
// KnownDLL, so it is loaded at run time from the system folder only, never
// from beside the program.
#include <windows.h>
#include <bcrypt.h>

#include <algorithm>
#include <vector>

#include "sysaccess/signature.h"

namespace vl::sys {
namespace {

#ifndef STATUS_SUCCESS
#define STATUS_SUCCESS ((NTSTATUS)0x00000000L)
#endif
#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

struct Cng {
  decltype(&BCryptOpenAlgorithmProvider) open = nullptr;
  decltype(&BCryptCloseAlgorithmProvider) close = nullptr;
  decltype(&BCryptCreateHash) createHash = nullptr;
  decltype(&BCryptHashData) hashData = nullptr;
  decltype(&BCryptFinishHash) finishHash = nullptr;
  decltype(&BCryptDestroyHash) destroyHash = nullptr;
  decltype(&BCryptImportKeyPair) importKeyPair = nullptr;
  decltype(&BCryptDestroyKey) destroyKey = nullptr;
  decltype(&BCryptVerifySignature) verify = nullptr;
  decltype(&BCryptSignHash) sign = nullptr;
  bool ok = false;

  Cng() {
    HMODULE dll = LoadLibraryExW(L"bcrypt.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!dll) return;
    ok = Bind(dll, open, "BCryptOpenAlgorithmProvider") && Bind(dll, close, "BCryptCloseAlgorithmProvider") &&
         Bind(dll, createHash, "BCryptCreateHash") && Bind(dll, hashData, "BCryptHashData") &&
         Bind(dll, finishHash, "BCryptFinishHash") && Bind(dll, destroyHash, "BCryptDestroyHash") &&
         Bind(dll, importKeyPair, "BCryptImportKeyPair") && Bind(dll, destroyKey, "BCryptDestroyKey") &&
         Bind(dll, verify, "BCryptVerifySignature") && Bind(dll, sign, "BCryptSignHash");
  }
  template <typename F>
  static bool Bind(HMODULE dll, F& f, const char* name) {
    f = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
    return f != nullptr;
  }
};

// Loaded once; the library stays for the life of the process.
const Cng& Api() {
  static const Cng cng;
  return cng;
}

class Algorithm {
 public:
  explicit Algorithm(const wchar_t* name) {
    if (Api().ok && Api().open(&h_, name, nullptr, 0) != STATUS_SUCCESS) h_ = nullptr;
  }
  ~Algorithm() { if (h_) Api().close(h_, 0); }
  Algorithm(const Algorithm&) = delete;
  Algorithm& operator=(const Algorithm&) = delete;
  BCRYPT_ALG_HANDLE get() const { return h_; }

 private:
  BCRYPT_ALG_HANDLE h_ = nullptr;
};

class KeyHandle {
 public:
  KeyHandle(const Algorithm& alg, const wchar_t* type, std::vector<UCHAR>& blob) {
    if (alg.get() && Api().importKeyPair(alg.get(), nullptr, type, &h_, blob.data(), static_cast<ULONG>(blob.size()),
                                         0) != STATUS_SUCCESS)
      h_ = nullptr;
    // A private blob does not stay in our memory longer than needed.
    SecureZeroMemory(blob.data(), blob.size());
  }
  ~KeyHandle() { if (h_) Api().destroyKey(h_); }
  KeyHandle(const KeyHandle&) = delete;
  KeyHandle& operator=(const KeyHandle&) = delete;
  BCRYPT_KEY_HANDLE get() const { return h_; }

 private:
  BCRYPT_KEY_HANDLE h_ = nullptr;
};

std::vector<UCHAR> EccBlob(ULONG magic, const std::string& parts) {
  BCRYPT_ECCKEY_BLOB header{magic, 32};
  std::vector<UCHAR> blob(sizeof header + parts.size());
  memcpy(blob.data(), &header, sizeof header);
  memcpy(blob.data() + sizeof header, parts.data(), parts.size());
  return blob;
}

}  // namespace

std::string Sha256(const std::string& data) {
  if (!Api().ok) return "";
  Algorithm alg(BCRYPT_SHA256_ALGORITHM);
  if (!alg.get()) return "";
  BCRYPT_HASH_HANDLE hash = nullptr;
  // No object buffer: CNG allocates it itself (Windows 7 and later).
  if (Api().createHash(alg.get(), &hash, nullptr, 0, nullptr, 0, 0) != STATUS_SUCCESS) return "";
  bool ok = true;
  // Lengths are ULONGs: large inputs go in pieces.
  for (size_t at = 0; ok && at < data.size();) {
    const ULONG piece = static_cast<ULONG>(std::min<size_t>(data.size() - at, 1u << 30));
    ok = Api().hashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(data.data() + at)), piece, 0) ==
         STATUS_SUCCESS;
    at += piece;
  }
  UCHAR digest[32];
  ok = ok && Api().finishHash(hash, digest, sizeof digest, 0) == STATUS_SUCCESS;
  Api().destroyHash(hash);
  return ok ? std::string(reinterpret_cast<char*>(digest), sizeof digest) : std::string();
}

bool VerifyP256Signature(const std::string& data, const std::string& derSignature,
                         const std::string& publicKeyBase64) {
  std::string spki, xy, rs;
  if (!sig::DecodeBase64(publicKeyBase64, spki) || !sig::P256PointFromSpki(spki, xy)) return false;
  if (!sig::RawFromDerSignature(derSignature, rs)) return false;
  std::string digest = Sha256(data);
  if (digest.size() != 32) return false;
  // The generic ECDSA name is not everywhere; the curve's own one is.
  Algorithm alg(BCRYPT_ECDSA_P256_ALGORITHM);
  std::vector<UCHAR> blob = EccBlob(BCRYPT_ECDSA_PUBLIC_P256_MAGIC, xy);
  KeyHandle key(alg, BCRYPT_ECCPUBLIC_BLOB, blob);
  if (!key.get()) return false;
  return Api().verify(key.get(), nullptr, reinterpret_cast<PUCHAR>(digest.data()), 32,
                      reinterpret_cast<PUCHAR>(rs.data()), 64, 0) == STATUS_SUCCESS;
}

bool SignP256(const std::string& data, const std::string& privateKeyPem, std::string& derSignature,
              std::string& error) {
  derSignature.clear();
  std::string label, der, d, xy;
  if (!sig::PemBody(privateKeyPem, label, der) || (label != "EC PRIVATE KEY" && label != "PRIVATE KEY")) {
    error = "the key file holds no private key";
    return false;
  }
  if (!sig::P256PrivateKeyParts(der, label == "PRIVATE KEY", d, xy)) {
    error = "the key is not a P-256 (prime256v1) key";
    return false;
  }
  if (!Api().ok) {
    error = "bcrypt.dll could not be loaded";
    return false;
  }
  std::string digest = Sha256(data);
  Algorithm alg(BCRYPT_ECDSA_P256_ALGORITHM);
  std::vector<UCHAR> blob = EccBlob(BCRYPT_ECDSA_PRIVATE_P256_MAGIC, xy + d);
  SecureZeroMemory(d.data(), d.size());
  KeyHandle key(alg, BCRYPT_ECCPRIVATE_BLOB, blob);
  if (!key.get() || digest.size() != 32) {
    error = "the key could not be imported";
    return false;
  }
  UCHAR rs[64];
  ULONG written = 0;
  if (Api().sign(key.get(), nullptr, reinterpret_cast<PUCHAR>(digest.data()), 32, rs, sizeof rs, &written, 0) !=
          STATUS_SUCCESS ||
      written != sizeof rs) {
    error = "signing failed";
    return false;
  }
  derSignature = sig::DerFromRawSignature(std::string(reinterpret_cast<char*>(rs), sizeof rs));
  return true;
}

}  // namespace vl::sys
