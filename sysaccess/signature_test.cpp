// P-256 signatures and SHA-256 on both backends (CNG under Wine, OpenSSL
// natively): known answers made with `openssl dgst -sha256 -sign`, round
// trips through SignP256, and the strict shapes of keys and signatures.
#include <gtest/gtest.h>

#include "sysaccess/signature.h"
#include "sysaccess/testing/test_keys.h"

namespace vl::sys {
namespace {

using testing::kOtherTestKeyPem;
using testing::kOtherTestPublicKey;
using testing::kTestUpdateKeyPem;
using testing::kTestUpdatePublicKey;

std::string FromHex(const std::string& hex) {
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return out;
}

const std::string kMessage = "Vantorel signed message\n";
// openssl dgst -sha256 -sign sysaccess/testing/test_update_key.pem
const std::string kOpensslSignature = FromHex(
    "3046022100ba3582d483dfde44d6d6fb7e18fcabe80cb5652d29b2d76848ec09c3c8c34a9f022100a3d188ce08c44b4558c3269b7c90"
    "5cb21ad5a97bae0fd3178e24463cd379d166");

TEST(Sha256, KnownAnswers) {
  EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Sha256Hex(std::string(1000000, 'a')), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
  EXPECT_EQ(Sha256("abc").size(), 32u);
}

TEST(P256Signature, AcceptsWhatOpensslSigned) {
  EXPECT_TRUE(VerifyP256Signature(kMessage, kOpensslSignature, kTestUpdatePublicKey));
}

TEST(P256Signature, RefusesAChangedMessageSignatureOrKey) {
  std::string changed = kMessage;
  changed[3] ^= 1;
  EXPECT_FALSE(VerifyP256Signature(changed, kOpensslSignature, kTestUpdatePublicKey));
  EXPECT_FALSE(VerifyP256Signature(kMessage + " ", kOpensslSignature, kTestUpdatePublicKey));
  std::string badSig = kOpensslSignature;
  badSig[20] ^= 0x40;
  EXPECT_FALSE(VerifyP256Signature(kMessage, badSig, kTestUpdatePublicKey));
  EXPECT_FALSE(VerifyP256Signature(kMessage, kOpensslSignature, kOtherTestPublicKey));
  EXPECT_FALSE(VerifyP256Signature(kMessage, "", kTestUpdatePublicKey));
  EXPECT_FALSE(VerifyP256Signature(kMessage, kOpensslSignature, ""));
  EXPECT_FALSE(VerifyP256Signature(kMessage, kOpensslSignature, "not base64!"));
}

TEST(P256Signature, RefusesMalformedDer) {
  // Trailing bytes, a cut signature, a needless leading zero, a zero r.
  EXPECT_FALSE(VerifyP256Signature(kMessage, kOpensslSignature + std::string(1, '\0'), kTestUpdatePublicKey));
  EXPECT_FALSE(VerifyP256Signature(kMessage, kOpensslSignature.substr(0, 40), kTestUpdatePublicKey));
  std::string rs;
  ASSERT_TRUE(sig::RawFromDerSignature(kOpensslSignature, rs));
  EXPECT_EQ(sig::DerFromRawSignature(rs), kOpensslSignature);
  std::string padded = FromHex("3047022200") + kOpensslSignature.substr(4);
  EXPECT_FALSE(sig::RawFromDerSignature(padded, rs));
  EXPECT_FALSE(VerifyP256Signature(kMessage, FromHex("3006020100020101"), kTestUpdatePublicKey));
  // The raw r||s itself is no DER signature.
  ASSERT_TRUE(sig::RawFromDerSignature(kOpensslSignature, rs));
  EXPECT_FALSE(VerifyP256Signature(kMessage, rs, kTestUpdatePublicKey));
}

TEST(P256Signature, KeyShapeIsChecked) {
  std::string spki, xy;
  ASSERT_TRUE(sig::DecodeBase64(kTestUpdatePublicKey, spki));
  ASSERT_EQ(spki.size(), 91u);
  ASSERT_TRUE(sig::P256PointFromSpki(spki, xy));
  EXPECT_EQ(sig::SpkiFromP256Point(xy), spki);
  EXPECT_EQ(sig::EncodeBase64(spki), kTestUpdatePublicKey);
  // Another curve's OID (last byte of prime256v1 changed), a compressed point.
  std::string otherCurve = spki;
  otherCurve[24] ^= 1;
  EXPECT_FALSE(sig::P256PointFromSpki(otherCurve, xy));
  EXPECT_FALSE(VerifyP256Signature(kMessage, kOpensslSignature, sig::EncodeBase64(otherCurve)));
  std::string compressed = spki;
  compressed[26] = 0x02;
  EXPECT_FALSE(sig::P256PointFromSpki(compressed, xy));
  EXPECT_FALSE(sig::P256PointFromSpki(spki + "x", xy));
}

TEST(P256Signature, SignedHereVerifiesUnderItsKeyOnly) {
  std::string der, error;
  ASSERT_TRUE(SignP256(kMessage, kTestUpdateKeyPem, der, error)) << error;
  std::string rs;
  EXPECT_TRUE(sig::RawFromDerSignature(der, rs));
  EXPECT_TRUE(VerifyP256Signature(kMessage, der, kTestUpdatePublicKey));
  EXPECT_FALSE(VerifyP256Signature(kMessage, der, kOtherTestPublicKey));
  ASSERT_TRUE(SignP256(kMessage, kOtherTestKeyPem, der, error)) << error;
  EXPECT_TRUE(VerifyP256Signature(kMessage, der, kOtherTestPublicKey));
  EXPECT_FALSE(VerifyP256Signature(kMessage, der, kTestUpdatePublicKey));
}

TEST(P256Signature, SigningRefusesWhatIsNoP256PrivateKey) {
  std::string der, error;
  EXPECT_FALSE(SignP256(kMessage, "", der, error));
  EXPECT_FALSE(error.empty());
  const std::string pub = std::string("-----BEGIN PUBLIC KEY-----\n") + kTestUpdatePublicKey + "\n-----END PUBLIC KEY-----\n";
  EXPECT_FALSE(SignP256(kMessage, pub, der, error));
  EXPECT_TRUE(der.empty());
}

TEST(Base64, IsStrict) {
  std::string out;
  EXPECT_TRUE(sig::DecodeBase64("TWFu", out));
  EXPECT_EQ(out, "Man");
  EXPECT_TRUE(sig::DecodeBase64("TWE=\r\n", out));
  EXPECT_EQ(out, "Ma");
  EXPECT_TRUE(sig::DecodeBase64("TQ==", out));
  EXPECT_EQ(out, "M");
  EXPECT_FALSE(sig::DecodeBase64("TWF", out));
  EXPECT_FALSE(sig::DecodeBase64("T=Fu", out));
  EXPECT_FALSE(sig::DecodeBase64("TQ==TWFu", out));
  EXPECT_FALSE(sig::DecodeBase64("TW-u", out));
  EXPECT_EQ(sig::EncodeBase64("Ma"), "TWE=");
}

}  // namespace
}  // namespace vl::sys
