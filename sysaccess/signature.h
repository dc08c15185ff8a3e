// ECDSA P-256 over SHA-256, the signature of the update manifest, and
// SHA-256 digests of the programs it names. Keys and signatures are in the
// forms the standard tools write: a public key is the base64 of its DER
// SubjectPublicKeyInfo (the body of `openssl ec -pubout`), a signature is
// DER (as `openssl dgst -sha256 -sign` writes it), a private key is PEM
// ("EC PRIVATE KEY" or "PRIVATE KEY"). The Windows build asks CNG, the
// native build OpenSSL; one set of tests runs against both.
#pragma once
#include <string>

namespace vl::sys {

// SHA-256 of `data`: 32 raw bytes, or empty when the system could not
// compute it.
std::string Sha256(const std::string& data);
// The same as 64 lowercase hexadecimal digits; empty on failure.
std::string Sha256Hex(const std::string& data);

// True only when `derSignature` is a valid signature of `data` under the
// P-256 key `publicKeyBase64`. A malformed key or signature is false.
bool VerifyP256Signature(const std::string& data, const std::string& derSignature,
                         const std::string& publicKeyBase64);

// Signs `data` with the P-256 private key in `privateKeyPem`; the DER
// signature goes to `derSignature`. False with `error` for a key that is
// not a P-256 private key or a failure of the system. Used by the
// publishing tool and the tests; the programs only verify.
bool SignP256(const std::string& data, const std::string& privateKeyPem, std::string& derSignature,
              std::string& error);

// The pieces both backends share.
namespace sig {
// Strict base64 (RFC 4648 alphabet, padding required, blanks and line breaks
// ignored); false on any other character or a bad length.
bool DecodeBase64(const std::string& text, std::string& out);
std::string EncodeBase64(const std::string& bytes);
// The 64 bytes X||Y of a P-256 SubjectPublicKeyInfo (id-ecPublicKey with
// prime256v1, uncompressed point); false for any other shape.
bool P256PointFromSpki(const std::string& der, std::string& xy);
// The DER SubjectPublicKeyInfo of X||Y.
std::string SpkiFromP256Point(const std::string& xy);
// DER ECDSA-Sig-Value <-> r||s, each 32 bytes big-endian.
bool RawFromDerSignature(const std::string& der, std::string& rs);
std::string DerFromRawSignature(const std::string& rs);
// The DER inside a PEM block ("-----BEGIN <label>-----"); false when none.
bool PemBody(const std::string& pem, std::string& label, std::string& der);
// The private scalar d (32 bytes) and public X||Y of a P-256 private key in
// SEC1 ("EC PRIVATE KEY") or PKCS#8 ("PRIVATE KEY") DER.
bool P256PrivateKeyParts(const std::string& der, bool pkcs8, std::string& d, std::string& xy);
std::string Hex(const std::string& bytes);
}  // namespace sig

}  // namespace vl::sys
