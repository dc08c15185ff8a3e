// The .reg reader and the tree export of the registry editor stand-in.
#include <gmock/gmock.h>

#include "sysaccess/reg_file.h"
#include "sysaccess/reg_writer.h"
#include "sysaccess/text.h"

namespace vl::sys {
namespace {

using ::testing::ElementsAre;

TEST(RegFile, RejectsTextWithoutAHeader) {
  RegFileContent c;
  EXPECT_FALSE(ParseRegFile("[HKEY_CURRENT_USER\\x]\r\n", &c));
  EXPECT_FALSE(ParseRegFile("", &c));
  EXPECT_FALSE(ParseRegFile("Windows Registry Editor Version 4.00\r\n", &c));
}

TEST(RegFile, ReadsVersionFiveInUtf16WithContinuationLines) {
  std::string text =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\A]\r\n"
      "@=\"def\"\r\n"
      "\"Str\"=\"C:\\\\x \\\"q\\\"\"\r\n"
      "\"Num\"=dword:0000000a\r\n"
      "\"Exp\"=hex(2):25,00,41,00,\\\r\n"
      "  25,00,00,00\r\n"
      "\"Bin\"=hex:01,02,\\\r\n"
      "    03\r\n"
      "; a comment\r\n"
      "\"Gone\"=-\r\n"
      "[-HKEY_CURRENT_USER\\Software\\B]\r\n";
  RegFileContent c;
  ASSERT_TRUE(ParseRegFile(EncodeRegFile({text}).substr(0), &c));
  EXPECT_EQ(c.version, 5);
  EXPECT_TRUE(c.errors.empty());
  ASSERT_EQ(c.ops.size(), 8u);
  EXPECT_EQ(c.ops[0].kind, RegFileOp::kKey);
  EXPECT_EQ(c.ops[0].root, kHKCU);
  EXPECT_EQ(c.ops[0].key, "Software\\A");
  EXPECT_EQ(c.ops[1].name, "");
  EXPECT_EQ(c.ops[1].data.bytes, Utf8ToUtf16Bytes("def") + std::string(2, '\0'));
  EXPECT_EQ(c.ops[2].name, "Str");
  EXPECT_EQ(Utf16BytesToUtf8(c.ops[2].data.bytes), std::string("C:\\x \"q\"") + '\0');
  EXPECT_EQ(c.ops[3].data.type, kRegDword);
  EXPECT_EQ(c.ops[3].data.bytes, std::string("\x0a\0\0\0", 4));
  EXPECT_EQ(c.ops[4].data.type, kRegExpandSz);
  EXPECT_EQ(c.ops[4].data.bytes, std::string("%\0A\0%\0\0\0", 8));
  EXPECT_EQ(c.ops[5].data.bytes, "\x01\x02\x03");
  EXPECT_EQ(c.ops[6].kind, RegFileOp::kDeleteValue);
  EXPECT_EQ(c.ops[7].kind, RegFileOp::kDeleteKey);
  EXPECT_EQ(c.ops[7].key, "Software\\B");
}

TEST(RegFile, ReadsRegedit4WithSingleByteText) {
  // Latin-1 text; hex(2) and hex(7) hold single-byte text in this version.
  std::string text =
      "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\X]\r\n"
      "\"L\"=\"\xE4\"\r\n"
      "\"E\"=hex(2):41,42,00\r\n"
      "\"M\"=hex(7):61,00,62,00,00\r\n";
  RegFileContent c;
  ASSERT_TRUE(ParseRegFile(text, &c));
  EXPECT_EQ(c.version, 4);
  ASSERT_EQ(c.ops.size(), 4u);
  EXPECT_EQ(c.ops[1].data.bytes, std::string("\xE4\0\0\0", 4));
  EXPECT_EQ(c.ops[2].data.bytes, std::string("A\0B\0\0\0", 6));
  EXPECT_EQ(c.ops[3].data.bytes, std::string("a\0\0\0b\0\0\0\0\0", 10));
}

TEST(RegFile, ReportsLinesItCannotRead) {
  std::string text =
      "Windows Registry Editor Version 5.00\r\n"
      "\"orphan\"=\"no key yet\"\r\n"
      "[HKEY_NOWHERE\\x]\r\n"
      "[HKEY_CURRENT_USER\\ok]\r\n"
      "\"bad\"=dword:123456789\r\n"
      "\"badhex\"=hex:zz\r\n"
      "\"fine\"=hex(b):01,00,00,00,00,00,00,00\r\n";
  RegFileContent c;
  ASSERT_TRUE(ParseRegFile(text, &c));
  EXPECT_EQ(c.errors.size(), 4u);
  ASSERT_EQ(c.ops.size(), 2u);
  EXPECT_EQ(c.ops[1].data.type, kRegQword);
}

TEST(RegFile, ExportLinesWrapLongHexAndQuoteOnlyCleanText) {
  RegData bin;
  bin.type = kRegBinary;
  bin.bytes = std::string(40, '\x11');
  std::vector<std::string> lines = ExportValueLines("B", bin);
  ASSERT_GT(lines.size(), 1u);
  for (size_t i = 0; i + 1 < lines.size(); ++i) {
    EXPECT_EQ(lines[i].back(), '\\');
    EXPECT_LE(lines[i].size(), 80u);
  }
  RegData sz;
  sz.type = kRegSz;
  sz.bytes = Utf8ToUtf16Bytes("x") + std::string(2, '\0');
  EXPECT_THAT(ExportValueLines("", sz), ElementsAre("@=\"x\""));
  sz.bytes = Utf8ToUtf16Bytes("x");  // no terminator: kept byte for byte
  EXPECT_THAT(ExportValueLines("n", sz), ElementsAre("\"n\"=hex(1):78,00"));
}

}  // namespace
}  // namespace vl::sys
