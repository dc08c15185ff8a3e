// MD5 known answers (RFC 1321) and zlib inflation with its cap, on both
// backends: the digest comes from CryptoAPI under Wine, OpenSSL natively.
#include <zlib.h>

#include <gtest/gtest.h>

#include "sysaccess/digest.h"
#include "sysaccess/inflate.h"
#include "sysaccess/test_env.h"

namespace vl::sys {
namespace {

std::string Compressed(const std::string& data) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  std::string out(size, '\0');
  EXPECT_EQ(compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                      static_cast<uLong>(data.size()), 9),
            Z_OK);
  out.resize(size);
  return out;
}

// Bytes that do not compress much, so the output crosses buffer sizes.
std::string Noise(size_t n) {
  std::string s(n, '\0');
  uint32_t x = 12345;
  for (char& c : s) c = static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
  return s;
}

using DigestContract = ContractTest;

TEST_F(DigestContract, Md5KnownAnswers) {
  EXPECT_EQ(Md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(Md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(Md5Hex("12345678901234567890123456789012345678901234567890123456789012345678901234567890"),
            "57edf4a22be3c955ac49da2e2107b67a");
  EXPECT_EQ(Md5Hex(std::string("\0\xff", 2)).size(), 32u);
}

TEST_F(DigestContract, Md5OfAFileOrNothing) {
  ASSERT_TRUE(fs().WriteFileBytes(folder_ + "\\Vantorel.exe", "abc"));
  EXPECT_EQ(FileMd5Hex(fs(), folder_ + "\\Vantorel.exe"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(FileMd5Hex(fs(), folder_ + "\\missing.exe"), "");
}

TEST_F(DigestContract, InflateRoundTripsAndHoldsItsCap) {
  const std::string data = Noise(200000) + std::string(100000, 'a');
  const std::string z = Compressed(data);
  std::string out = "untouched";
  EXPECT_EQ(InflateZlib(z, data.size(), &out), InflateResult::kOk);
  EXPECT_EQ(out, data);
  out = "untouched";
  EXPECT_EQ(InflateZlib(z, data.size() - 1, &out), InflateResult::kTooLarge);
  EXPECT_EQ(out, "untouched");
  // Cut short, damaged, followed by junk, or not zlib at all.
  EXPECT_EQ(InflateZlib(z.substr(0, z.size() / 2), data.size(), &out), InflateResult::kCorrupt);
  std::string damaged = z;
  damaged[damaged.size() / 2] ^= 0x5A;
  EXPECT_EQ(InflateZlib(damaged, data.size(), &out), InflateResult::kCorrupt);
  EXPECT_EQ(InflateZlib(z + "junk", data.size(), &out), InflateResult::kCorrupt);
  EXPECT_EQ(InflateZlib("MZ\x90\x00", data.size(), &out), InflateResult::kCorrupt);
  EXPECT_EQ(InflateZlib("", data.size(), &out), InflateResult::kCorrupt);
  EXPECT_EQ(out, "untouched");
  // A tiny bomb: a megabyte of zeros from a few hundred bytes stops at the cap.
  EXPECT_EQ(InflateZlib(Compressed(std::string(1 << 20, '\0')), 4096, &out), InflateResult::kTooLarge);
}

TEST_F(DigestContract, InflateAFileWritesOnlyAWholeResult) {
  const std::string from = folder_ + "\\Vantorel.exe.z", to = folder_ + "\\Vantorel.exe";
  ASSERT_TRUE(fs().WriteFileBytes(from, Compressed("MZ program")));
  EXPECT_EQ(InflateZlibFile(fs(), from, to, 1000), InflateResult::kOk);
  std::string bytes;
  ASSERT_TRUE(fs().ReadFileBytes(to, bytes));
  EXPECT_EQ(bytes, "MZ program");
  ASSERT_EQ(0u, fs().RemoveFile(to));
  EXPECT_EQ(InflateZlibFile(fs(), from, to, 3), InflateResult::kTooLarge);
  EXPECT_FALSE(fs().FileExists(to));
  EXPECT_EQ(InflateZlibFile(fs(), folder_ + "\\none.z", to, 1000), InflateResult::kReadFailed);
}

}  // namespace
}  // namespace vl::sys
