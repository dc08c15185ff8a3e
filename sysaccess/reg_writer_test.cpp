// Lines and file encoding of the .reg writer.
#include <gmock/gmock.h>

#include "sysaccess/reg_writer.h"
#include "sysaccess/text.h"

namespace vl::sys {
namespace {

RegData Data(uint32_t type, const std::string& bytes) {
  RegData d;
  d.type = type;
  d.bytes = bytes;
  d.size = static_cast<uint32_t>(bytes.size());
  return d;
}
std::string Sz(const std::string& text) { return Utf8ToUtf16Bytes(text) + std::string(2, '\0'); }

TEST(RegWriter, KeyLineNamesOnlyTheFourRoots) {
  EXPECT_EQ(RegKeyLine(kHKLM, "SOFTWARE\\X"), "[HKEY_LOCAL_MACHINE\\SOFTWARE\\X]");
  EXPECT_EQ(RegKeyLine(kHKCR, ".txt"), "[HKEY_CLASSES_ROOT\\.txt]");
  EXPECT_EQ(RegKeyLine(kHKCU, "a"), "[HKEY_CURRENT_USER\\a]");
  EXPECT_EQ(RegKeyLine(kHKU, "S-1"), "[HKEY_USERS\\S-1]");
  EXPECT_EQ(RegKeyLine(kHKCC, "a"), "[\\a]");
  EXPECT_EQ(RegKeyLine(0x12345678u, "a"), "[\\a]");
  EXPECT_EQ(RootShortName(kHKCC), "HKCC");
  EXPECT_EQ(RootLongName(kHKDD), "HKEY_DYN_DATA");
}

TEST(RegWriter, EscapesBackslashesAndQuotesOnly) {
  EXPECT_EQ(RegValueLine("Path", Data(kRegSz, Sz("C:\\Windows"))), "\"Path\"=\"C:\\\\Windows\"");
  EXPECT_EQ(RegValueLine("a\"b\\", Data(kRegSz, Sz("say \"hi\""))), "\"a\\\"b\\\\\"=\"say \\\"hi\\\"\"");
  EXPECT_EQ(RegValueLine("t", Data(kRegSz, Sz("\xC3\xA4 \xE6\x97\xA5"))), "\"t\"=\"\xC3\xA4 \xE6\x97\xA5\"");
  // Up to the first zero only.
  EXPECT_EQ(RegValueLine("z", Data(kRegSz, Utf8ToUtf16Bytes(std::string("ab\0cd", 5)))), "\"z\"=\"ab\"");
}

TEST(RegWriter, TextWithLineBreaksIsKeptWholeInHexForm) {
  // A quoted string cannot span lines; the hex form of REG_SZ keeps it.
  EXPECT_EQ(RegValueLine("m", Data(kRegSz, Sz("a\r\nb"))), "\"m\"=hex(1):61,00,0D,00,0A,00,62,00,00,00");
}

TEST(RegWriter, ExpandAndMultiStringsAreTrueUtf16) {
  EXPECT_EQ(RegValuePart(Data(kRegExpandSz, Sz("%SystemRoot%"))),
            "hex(2):25,00,53,00,79,00,73,00,74,00,65,00,6D,00,52,00,6F,00,6F,00,74,00,25,00,00,00");
  EXPECT_EQ(RegValuePart(Data(kRegExpandSz, Sz("\xE6\x97\xA5"))), "hex(2):E5,65,00,00");
  EXPECT_EQ(RegValuePart(Data(kRegExpandSz, "")), "hex(2):00,00");
  EXPECT_EQ(RegValuePart(Data(kRegMultiSz, Sz("a") + Sz("b") + std::string(2, '\0'))),
            "hex(7):61,00,00,00,62,00,00,00,00,00");
  EXPECT_EQ(RegValuePart(Data(kRegMultiSz, "")), "hex(7):00,00,00,00");
  // Missing list terminator: the end of the data ends the list.
  EXPECT_EQ(RegValuePart(Data(kRegMultiSz, Sz("a"))), "hex(7):61,00,00,00,00,00");
  // Non-ASCII in a list.
  EXPECT_EQ(RegValuePart(Data(kRegMultiSz, Sz("\xC3\xA9") + std::string(2, '\0'))), "hex(7):E9,00,00,00,00,00");
}

TEST(RegWriter, BinaryDwordAndOtherTypes) {
  EXPECT_EQ(RegValuePart(Data(kRegBinary, std::string("\x01\x00\x02", 3))), "hex:01,00,02");
  EXPECT_EQ(RegValuePart(Data(kRegBinary, "")), "hex:");
  EXPECT_EQ(RegValuePart(Data(kRegBinary, "\xAB\xcd")), "hex:AB,CD");
  EXPECT_EQ(RegValuePart(Data(kRegDword, std::string("\x00\x01\x00\x00", 4))), "dword:00000100");
  EXPECT_EQ(RegValuePart(Data(kRegDword, std::string(4, '\0'))), "dword:00000000");
  EXPECT_EQ(RegValuePart(Data(kRegDword, "\xEF\xBE\xAD\xDE")), "dword:DEADBEEF");
  EXPECT_EQ(RegValueLine("q", Data(kRegQword, std::string(8, '\0'))), "");
  EXPECT_EQ(RegValueLine("n", Data(kRegNone, "")), "");
}

TEST(RegWriter, FileIsUtf16WithByteOrderMarkAndCrLfAfterEveryLine) {
  std::string bytes = EncodeRegFile({kRegHeaderV5, "[HKEY_CURRENT_USER\\\xC3\xA4]"});
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  std::string text = Utf16BytesToUtf8(bytes.substr(2));
  EXPECT_EQ(text, "Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\\xC3\xA4]\r\n");
  EXPECT_EQ(bytes.size(), 2 + 2 * Utf16Length(text));
}

}  // namespace
}  // namespace vl::sys
