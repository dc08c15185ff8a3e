// The reader of the shortcut file format, on shortcuts built here field by
// field and, when present, on shortcut files made by the Windows shell link
// object (testdata/, written under Wine by the Win32 suite).
#include <gtest/gtest.h>

#include <fstream>

#include "sysaccess/shortcut.h"
#include "sysaccess/text.h"

namespace vl::sys {
namespace {

void Put32(std::string& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<char>(v >> (8 * i)));
}
void Put16(std::string& b, uint16_t v) {
  b.push_back(static_cast<char>(v & 0xFF));
  b.push_back(static_cast<char>(v >> 8));
}
void PutString(std::string& b, const std::string& s) {
  std::u16string w = Utf8ToUtf16(s);
  Put16(b, static_cast<uint16_t>(w.size()));
  for (char16_t c : w) Put16(b, c);
}

struct LinkSpec {
  std::string localPath = "C:\\Apps\\tool.exe";
  bool unicodePath = false;
  std::string suffix;
  std::string description, workingDir, arguments, icon;
  uint32_t show = 1;
  int32_t iconIndex = 0;
  uint16_t hotKey = 0;
  bool idList = true;
  bool linkInfo = true;
};

std::string BuildLink(const LinkSpec& s) {
  uint32_t flags = 0x80;  // unicode strings
  if (s.idList) flags |= 0x1;
  if (s.linkInfo) flags |= 0x2;
  if (!s.description.empty()) flags |= 0x4;
  if (!s.workingDir.empty()) flags |= 0x10;
  if (!s.arguments.empty()) flags |= 0x20;
  if (!s.icon.empty()) flags |= 0x40;
  std::string b;
  Put32(b, 0x4C);
  b += std::string("\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46", 16);
  Put32(b, flags);
  Put32(b, 0x20);                // attributes
  b += std::string(24, '\0');    // times
  Put32(b, 1234);                // file size
  Put32(b, static_cast<uint32_t>(s.iconIndex));
  Put32(b, s.show);
  Put16(b, s.hotKey);
  b += std::string(10, '\0');
  if (s.idList) {
    std::string item = "\x14\x00" + std::string(18, '\x1F');  // one opaque item
    Put16(b, static_cast<uint16_t>(item.size() + 2));
    b += item;
    Put16(b, 0);
  }
  if (s.linkInfo) {
    uint32_t header = s.unicodePath ? 0x24 : 0x1C;
    std::string volume;
    Put32(volume, 0x10);
    Put32(volume, 3);
    Put32(volume, 0);
    Put32(volume, 0x10);
    std::string local = s.localPath + '\0';
    std::string suffix = s.suffix + '\0';
    std::string body = volume;
    uint32_t localOff = header + static_cast<uint32_t>(body.size());
    body += s.unicodePath ? std::string("?") + '\0' : local;
    uint32_t suffixOff = header + static_cast<uint32_t>(body.size());
    body += s.unicodePath ? std::string(1, '\0') : suffix;
    uint32_t localW = 0, suffixW = 0;
    if (s.unicodePath) {
      if (body.size() % 2) body.push_back('\0');
      localW = header + static_cast<uint32_t>(body.size());
      body += Utf8ToUtf16Bytes(s.localPath) + std::string(2, '\0');
      suffixW = header + static_cast<uint32_t>(body.size());
      body += Utf8ToUtf16Bytes(s.suffix) + std::string(2, '\0');
    }
    std::string li;
    Put32(li, header + static_cast<uint32_t>(body.size()));
    Put32(li, header);
    Put32(li, 1);
    Put32(li, header);
    Put32(li, localOff);
    Put32(li, 0);
    Put32(li, suffixOff);
    if (s.unicodePath) {
      Put32(li, localW);
      Put32(li, suffixW);
    }
    b += li + body;
  }
  if (!s.description.empty()) PutString(b, s.description);
  if (!s.workingDir.empty()) PutString(b, s.workingDir);
  if (!s.arguments.empty()) PutString(b, s.arguments);
  if (!s.icon.empty()) PutString(b, s.icon);
  Put32(b, 0);  // no extra data
  return b;
}

TEST(ShortcutFormat, ReadsEveryFieldOfTheRecord) {
  LinkSpec s;
  s.description = "The tool";
  s.workingDir = "C:\\Apps";
  s.arguments = "-x \"y\"";
  s.icon = "C:\\Apps\\icons.dll";
  s.iconIndex = -3;
  s.hotKey = 0x0641;
  s.show = 3;
  TLinkInfo info;
  ASSERT_TRUE(ParseShortcutFile(BuildLink(s), info));
  EXPECT_EQ(info.path, "C:\\Apps\\tool.exe");
  EXPECT_TRUE(info.hasItemList);
  EXPECT_EQ(info.description, "The tool");
  EXPECT_EQ(info.workingFolder, "C:\\Apps");
  EXPECT_EQ(info.arguments, "-x \"y\"");
  EXPECT_EQ(info.iconPath, "C:\\Apps\\icons.dll");
  EXPECT_EQ(info.iconIndex, -3);
  EXPECT_EQ(info.hotKey, 0x0641);
  EXPECT_EQ(info.showMode, 2);
}

TEST(ShortcutFormat, IconPathFallsBackToTheTargetAndShowModesMap) {
  LinkSpec s;
  TLinkInfo info;
  for (auto [show, mode] : {std::pair{1u, 0}, {2u, 1}, {7u, 1}, {3u, 2}, {4u, 0}}) {
    s.show = show;
    ASSERT_TRUE(ParseShortcutFile(BuildLink(s), info));
    EXPECT_EQ(info.showMode, mode) << show;
  }
  EXPECT_EQ(info.iconPath, "C:\\Apps\\tool.exe");
}

TEST(ShortcutFormat, UnicodeLocalPathAndSuffix) {
  LinkSpec s;
  s.unicodePath = true;
  s.localPath = "C:\\\xE6\x97\xA5\\";
  s.suffix = "b\xC3\xA4r.exe";
  TLinkInfo info;
  ASSERT_TRUE(ParseShortcutFile(BuildLink(s), info));
  EXPECT_EQ(info.path, "C:\\\xE6\x97\xA5\\b\xC3\xA4r.exe");
}

TEST(ShortcutFormat, RefusesWhatIsNotAShortcutToAFile) {
  LinkSpec s;
  s.idList = false;
  TLinkInfo info;
  EXPECT_FALSE(ParseShortcutFile(BuildLink(s), info));
  std::string good = BuildLink(LinkSpec());
  EXPECT_FALSE(ParseShortcutFile(good.substr(0, 0x4C + 10), info));  // cut inside the item list
  std::string badClsid = good;
  badClsid[4] = 0x02;
  EXPECT_FALSE(ParseShortcutFile(badClsid, info));
  EXPECT_FALSE(ParseShortcutFile("", info));
  std::string hugeLinkInfo = good;
  // A link-info size pointing past the end of the file.
  size_t li = 0x4C + 2 + 22;
  hugeLinkInfo[li + 2] = 0x7F;
  EXPECT_FALSE(ParseShortcutFile(hugeLinkInfo, info));
}

// Shortcuts the Windows shell link object made (see win32_only_test.cpp),
// each with a .txt beside it holding what the shell read from it.
TEST(ShortcutFormat, ReadsShortcutsMadeByTheShellLinkObject) {
  std::string dir = std::string(VL_SYSACCESS_TESTDATA) + "/";
  int checked = 0;
  for (const char* name : {"plain", "full", "unicode", "latin"}) {
    std::ifstream lnk(dir + name + ".lnk", std::ios::binary), txt(dir + name + ".txt", std::ios::binary);
    if (!lnk || !txt) continue;
    std::string bytes((std::istreambuf_iterator<char>(lnk)), std::istreambuf_iterator<char>());
    std::vector<std::string> expect;
    for (std::string line; std::getline(txt, line);) expect.push_back(line);
    ASSERT_EQ(expect.size(), 8u) << name;
    TLinkInfo info;
    ASSERT_TRUE(ParseShortcutFile(bytes, info)) << name;
    EXPECT_EQ(info.path, expect[0]) << name;
    EXPECT_EQ(info.workingFolder, expect[1]) << name;
    EXPECT_EQ(info.arguments, expect[2]) << name;
    EXPECT_EQ(info.description, expect[3]) << name;
    EXPECT_EQ(info.iconPath, expect[4]) << name;
    EXPECT_EQ(std::to_string(info.iconIndex), expect[5]) << name;
    EXPECT_EQ(std::to_string(info.hotKey), expect[6]) << name;
    EXPECT_EQ(std::to_string(info.showMode), expect[7]) << name;
    ++checked;
  }
  if (checked == 0) GTEST_SKIP() << "no shortcut files from the shell link object in " << dir;
}

}  // namespace
}  // namespace vl::sys
