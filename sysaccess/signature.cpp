// The encodings around the P-256 signatures: base64, the DER of keys and
// signatures, PEM. The arithmetic is the backends'.
#include "sysaccess/signature.h"

#include <cstdint>

namespace vl::sys {
namespace sig {
namespace {

// Reads one DER element of `tag` from the front of `in` (definite lengths
// up to 64 KiB only); its content goes to `content`, `in` keeps the rest.
bool Take(std::string& in, unsigned char tag, std::string& content) {
  if (in.size() < 2 || static_cast<unsigned char>(in[0]) != tag) return false;
  size_t len = static_cast<unsigned char>(in[1]), head = 2;
  if (len == 0x81) {
    if (in.size() < 3 || static_cast<unsigned char>(in[2]) < 0x80) return false;
    len = static_cast<unsigned char>(in[2]);
    head = 3;
  } else if (len == 0x82) {
    if (in.size() < 4) return false;
    len = (static_cast<size_t>(static_cast<unsigned char>(in[2])) << 8) | static_cast<unsigned char>(in[3]);
    if (len < 0x100) return false;
    head = 4;
  } else if (len > 0x7F) {
    return false;
  }
  if (in.size() - head < len) return false;
  content = in.substr(head, len);
  in.erase(0, head + len);
  return true;
}

const std::string kEcPublicKeyOid("\x2a\x86\x48\xce\x3d\x02\x01", 7);
const std::string kPrime256v1Oid("\x2a\x86\x48\xce\x3d\x03\x01\x07", 8);

// A positive INTEGER's content as exactly 32 big-endian bytes.
bool Scalar32(const std::string& content, std::string& out) {
  if (content.empty() || (static_cast<unsigned char>(content[0]) & 0x80)) return false;
  std::string v = content;
  // DER allows one leading zero only before a byte with its high bit set.
  if (v.size() > 1 && v[0] == 0 && !(static_cast<unsigned char>(v[1]) & 0x80)) return false;
  if (v.size() > 1 && v[0] == 0) v.erase(0, 1);
  if (v.size() > 32) return false;
  out = std::string(32 - v.size(), '\0') + v;
  return out.find_first_not_of('\0') != std::string::npos;
}

std::string Integer(const std::string& be32) {
  size_t first = be32.find_first_not_of('\0');
  std::string v = first == std::string::npos ? std::string(1, '\0') : be32.substr(first);
  if (static_cast<unsigned char>(v[0]) & 0x80) v.insert(0, 1, '\0');
  return std::string("\x02", 1) + static_cast<char>(v.size()) + v;
}

int Base64Value(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

bool DecodeBase64(const std::string& text, std::string& out) {
  out.clear();
  std::string s;
  for (unsigned char c : text)
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') s.push_back(static_cast<char>(c));
  if (s.empty() || s.size() % 4 != 0) return false;
  for (size_t i = 0; i < s.size(); i += 4) {
    int v[4];
    int pad = 0;
    for (int j = 0; j < 4; ++j) {
      unsigned char c = static_cast<unsigned char>(s[i + j]);
      if (c == '=') {
        // Padding only at the very end, in the last two places.
        if (i + 4 != s.size() || j < 2) return false;
        ++pad;
        v[j] = 0;
      } else {
        if (pad) return false;
        v[j] = Base64Value(c);
        if (v[j] < 0) return false;
      }
    }
    uint32_t n = (v[0] << 18) | (v[1] << 12) | (v[2] << 6) | v[3];
    out.push_back(static_cast<char>(n >> 16));
    if (pad < 2) out.push_back(static_cast<char>((n >> 8) & 0xFF));
    if (pad < 1) out.push_back(static_cast<char>(n & 0xFF));
  }
  return true;
}

std::string EncodeBase64(const std::string& bytes) {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t n = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) n |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) n |= static_cast<unsigned char>(bytes[i + 2]);
    out.push_back(kAlphabet[(n >> 18) & 63]);
    out.push_back(kAlphabet[(n >> 12) & 63]);
    out.push_back(i + 1 < bytes.size() ? kAlphabet[(n >> 6) & 63] : '=');
    out.push_back(i + 2 < bytes.size() ? kAlphabet[n & 63] : '=');
  }
  return out;
}

bool P256PointFromSpki(const std::string& der, std::string& xy) {
  std::string in = der, spki, algorithm, oid, curve, bits;
  if (!Take(in, 0x30, spki) || !in.empty()) return false;
  if (!Take(spki, 0x30, algorithm) || !Take(spki, 0x03, bits) || !spki.empty()) return false;
  if (!Take(algorithm, 0x06, oid) || oid != kEcPublicKeyOid) return false;
  if (!Take(algorithm, 0x06, curve) || curve != kPrime256v1Oid || !algorithm.empty()) return false;
  // No unused bits, then an uncompressed point.
  if (bits.size() != 66 || bits[0] != 0 || bits[1] != 0x04) return false;
  xy = bits.substr(2);
  return true;
}

std::string SpkiFromP256Point(const std::string& xy) {
  std::string algorithm = std::string("\x06\x07", 2) + kEcPublicKeyOid + std::string("\x06\x08", 2) + kPrime256v1Oid;
  std::string bits = std::string("\x03\x42\x00\x04", 4) + xy;
  std::string body = std::string("\x30", 1) + static_cast<char>(algorithm.size()) + algorithm + bits;
  return std::string("\x30", 1) + static_cast<char>(body.size()) + body;
}

bool RawFromDerSignature(const std::string& der, std::string& rs) {
  std::string in = der, seq, r, s, r32, s32;
  if (!Take(in, 0x30, seq) || !in.empty()) return false;
  if (!Take(seq, 0x02, r) || !Take(seq, 0x02, s) || !seq.empty()) return false;
  if (!Scalar32(r, r32) || !Scalar32(s, s32)) return false;
  rs = r32 + s32;
  return true;
}

std::string DerFromRawSignature(const std::string& rs) {
  std::string body = Integer(rs.substr(0, 32)) + Integer(rs.substr(32, 32));
  return std::string("\x30", 1) + static_cast<char>(body.size()) + body;
}

bool PemBody(const std::string& pem, std::string& label, std::string& der) {
  const std::string begin = "-----BEGIN ", end = "-----END ";
  size_t b = pem.find(begin);
  if (b == std::string::npos) return false;
  size_t labelEnd = pem.find("-----", b + begin.size());
  if (labelEnd == std::string::npos) return false;
  label = pem.substr(b + begin.size(), labelEnd - b - begin.size());
  size_t bodyStart = labelEnd + 5;
  size_t e = pem.find(end + label + "-----", bodyStart);
  if (e == std::string::npos) return false;
  return DecodeBase64(pem.substr(bodyStart, e - bodyStart), der);
}

bool P256PrivateKeyParts(const std::string& der, bool pkcs8, std::string& d, std::string& xy) {
  std::string in = der, seq;
  if (!Take(in, 0x30, seq) || !in.empty()) return false;
  std::string ec;
  if (pkcs8) {
    std::string version, algorithm, oid, curve;
    if (!Take(seq, 0x02, version) || version != std::string(1, '\0')) return false;
    if (!Take(seq, 0x30, algorithm) || !Take(algorithm, 0x06, oid) || oid != kEcPublicKeyOid) return false;
    if (!Take(algorithm, 0x06, curve) || curve != kPrime256v1Oid) return false;
    std::string octets;
    if (!Take(seq, 0x04, octets)) return false;
    std::string inner;
    if (!Take(octets, 0x30, inner) || !octets.empty()) return false;
    ec = inner;
  } else {
    ec = seq;
  }
  std::string version, key, field;
  if (!Take(ec, 0x02, version) || version != std::string(1, '\x01')) return false;
  if (!Take(ec, 0x04, key) || key.size() != 32) return false;
  d = key;
  xy.clear();
  // [0] parameters (the curve, when present), then [1] the public key.
  if (!ec.empty() && static_cast<unsigned char>(ec[0]) == 0xA0) {
    std::string params, curve;
    if (!Take(ec, 0xA0, params) || !Take(params, 0x06, curve) || curve != kPrime256v1Oid) return false;
  } else if (!pkcs8) {
    return false;  // a SEC1 key must name its curve
  }
  if (!Take(ec, 0xA1, field)) return false;
  std::string bits;
  if (!Take(field, 0x03, bits) || bits.size() != 66 || bits[0] != 0 || bits[1] != 0x04) return false;
  xy = bits.substr(2);
  return true;
}

std::string Hex(const std::string& bytes) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (unsigned char b : bytes) {
    out.push_back(kHex[b >> 4]);
    out.push_back(kHex[b & 15]);
  }
  return out;
}

}  // namespace sig

std::string Sha256Hex(const std::string& data) {
  std::string d = Sha256(data);
  return d.size() == 32 ? sig::Hex(d) : std::string();
}

}  // namespace vl::sys
