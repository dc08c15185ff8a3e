// Test helper: a minimal PE file with one resource section holding a
// version resource, for the readers of file versions.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "sysaccess/text.h"

namespace vl::sys::testing {

// A minimal PE file with one resource section holding a version resource.
inline std::string VersionNode(const std::u16string& key, const std::string& value, uint16_t type,
                        uint16_t valueLength, const std::vector<std::string>& children) {
  std::string n(6, '\0');
  for (char16_t c : key + u'\0') {
    n.push_back(static_cast<char>(c & 0xFF));
    n.push_back(static_cast<char>(c >> 8));
  }
  while (n.size() % 4) n.push_back('\0');
  n += value;
  for (const auto& c : children) {
    while (n.size() % 4) n.push_back('\0');
    n += c;
  }
  n[0] = static_cast<char>(n.size() & 0xFF);
  n[1] = static_cast<char>(n.size() >> 8);
  n[2] = static_cast<char>(valueLength & 0xFF);
  n[3] = static_cast<char>(valueLength >> 8);
  n[4] = static_cast<char>(type);
  return n;
}

// `version` as FileVersion in string table `table`, with one translation.
inline std::string BuildPe(const std::string& version, const std::u16string& table = u"040904B0",
                           uint32_t translation = 0x04B00409) {
  std::string text = sys::Utf8ToUtf16Bytes(version) + std::string(2, '\0');
  std::string str = VersionNode(u"FileVersion", text, 1, static_cast<uint16_t>(text.size() / 2), {});
  std::string other = VersionNode(u"ProductName", sys::Utf8ToUtf16Bytes("P") + std::string(2, '\0'), 1, 2, {});
  std::string tableNode = VersionNode(table, "", 1, 0, {other, str});
  std::string sfi = VersionNode(u"StringFileInfo", "", 1, 0, {tableNode});
  std::string tr(4, '\0');
  for (int i = 0; i < 4; ++i) tr[i] = static_cast<char>(translation >> (8 * i));
  std::string var = VersionNode(u"Translation", tr, 0, 4, {});
  std::string vfi = VersionNode(u"VarFileInfo", "", 1, 0, {var});
  std::string fixed(52, '\0');
  std::string block = VersionNode(u"VS_VERSION_INFO", fixed, 0, 52, {sfi, vfi});

  auto put32 = [](std::string& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
  };
  std::string rsrc(0x58, '\0');
  rsrc[14] = 1;
  put32(rsrc, 16, 16);
  put32(rsrc, 20, 0x80000018u);
  rsrc[0x18 + 14] = 1;
  put32(rsrc, 0x18 + 16, 1);
  put32(rsrc, 0x18 + 20, 0x80000030u);
  rsrc[0x30 + 14] = 1;
  put32(rsrc, 0x30 + 16, 0x409);
  put32(rsrc, 0x30 + 20, 0x48);
  put32(rsrc, 0x48, 0x1000 + 0x58);
  put32(rsrc, 0x4C, static_cast<uint32_t>(block.size()));
  rsrc += block;

  std::string pe(0x200, '\0');
  pe[0] = 'M';
  pe[1] = 'Z';
  put32(pe, 0x3C, 0x40);
  std::memcpy(&pe[0x40], "PE\0\0", 4);
  pe[0x44] = 0x4C;
  pe[0x45] = 0x01;
  pe[0x46] = 1;                     // one section
  pe[0x54] = static_cast<char>(0xE0);  // optional header size
  size_t opt = 0x58;
  pe[opt] = 0x0B;
  pe[opt + 1] = 0x01;
  put32(pe, opt + 92, 16);
  put32(pe, opt + 96 + 16, 0x1000);
  put32(pe, opt + 96 + 20, static_cast<uint32_t>(rsrc.size()));
  size_t sec = opt + 0xE0;
  std::memcpy(&pe[sec], ".rsrc", 5);
  put32(pe, sec + 8, static_cast<uint32_t>(rsrc.size()));
  put32(pe, sec + 12, 0x1000);
  put32(pe, sec + 16, static_cast<uint32_t>(rsrc.size()));
  put32(pe, sec + 20, 0x200);
  return pe + rsrc;
}

}  // namespace vl::sys::testing
