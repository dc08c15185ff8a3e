// P-256 signatures and SHA-256 for the native build: OpenSSL's EVP API.
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <cstring>
#include <memory>

#include "sysaccess/signature.h"

namespace vl::sys {
namespace {

struct KeyFree {
  void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
};
struct MdFree {
  void operator()(EVP_MD_CTX* c) const { EVP_MD_CTX_free(c); }
};
using Key = std::unique_ptr<EVP_PKEY, KeyFree>;
using MdContext = std::unique_ptr<EVP_MD_CTX, MdFree>;

bool IsP256(EVP_PKEY* key) {
  if (EVP_PKEY_get_base_id(key) != EVP_PKEY_EC) return false;
  char group[64] = {0};
  size_t length = 0;
  return EVP_PKEY_get_utf8_string_param(key, OSSL_PKEY_PARAM_GROUP_NAME, group, sizeof group, &length) == 1 &&
         std::strcmp(group, "prime256v1") == 0;
}

}  // namespace

std::string Sha256(const std::string& data) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (!EVP_Digest(data.data(), data.size(), digest, &length, EVP_sha256(), nullptr) || length != 32) return "";
  return std::string(reinterpret_cast<char*>(digest), length);
}

bool VerifyP256Signature(const std::string& data, const std::string& derSignature,
                         const std::string& publicKeyBase64) {
  std::string spki, xy, rs;
  // The same strict shapes as the Windows build, whatever OpenSSL would take.
  if (!sig::DecodeBase64(publicKeyBase64, spki) || !sig::P256PointFromSpki(spki, xy)) return false;
  if (!sig::RawFromDerSignature(derSignature, rs)) return false;
  const std::string canonical = sig::DerFromRawSignature(rs);
  const unsigned char* p = reinterpret_cast<const unsigned char*>(spki.data());
  Key key(d2i_PUBKEY(nullptr, &p, static_cast<long>(spki.size())));
  if (!key || !IsP256(key.get())) return false;
  MdContext md(EVP_MD_CTX_new());
  if (!md || EVP_DigestVerifyInit(md.get(), nullptr, EVP_sha256(), nullptr, key.get()) != 1) return false;
  return EVP_DigestVerify(md.get(), reinterpret_cast<const unsigned char*>(canonical.data()), canonical.size(),
                          reinterpret_cast<const unsigned char*>(data.data()), data.size()) == 1;
}

bool SignP256(const std::string& data, const std::string& privateKeyPem, std::string& derSignature,
              std::string& error) {
  derSignature.clear();
  std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new_mem_buf(privateKeyPem.data(), static_cast<int>(privateKeyPem.size())),
                                                &BIO_free);
  Key key(bio ? PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr) : nullptr);
  if (!key) {
    error = "the key file holds no private key";
    return false;
  }
  if (!IsP256(key.get())) {
    error = "the key is not a P-256 (prime256v1) key";
    return false;
  }
  MdContext md(EVP_MD_CTX_new());
  size_t length = 0;
  if (!md || EVP_DigestSignInit(md.get(), nullptr, EVP_sha256(), nullptr, key.get()) != 1 ||
      EVP_DigestSign(md.get(), nullptr, &length, reinterpret_cast<const unsigned char*>(data.data()), data.size()) != 1) {
    error = "signing failed";
    return false;
  }
  std::string out(length, '\0');
  if (EVP_DigestSign(md.get(), reinterpret_cast<unsigned char*>(out.data()), &length,
                     reinterpret_cast<const unsigned char*>(data.data()), data.size()) != 1) {
    error = "signing failed";
    return false;
  }
  out.resize(length);
  derSignature = out;
  return true;
}

}  // namespace vl::sys
