// MD5 for the native build: OpenSSL's EVP interface.
#include <openssl/evp.h>

#include "sysaccess/digest.h"

namespace vl::sys {

std::string Md5Hex(const std::string& data) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (!EVP_Digest(data.data(), data.size(), digest, &length, EVP_md5(), nullptr)) return "";
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (unsigned int i = 0; i < length; ++i) {
    out.push_back(kHex[digest[i] >> 4]);
    out.push_back(kHex[digest[i] & 15]);
  }
  return out;
}

}  // namespace vl::sys
