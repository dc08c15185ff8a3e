// Test support: shortcut files built byte by byte, so that tests of the
// shell-link reader and of the features that read shortcuts need no shell.
#pragma once
#include <cstdint>
#include <string>

namespace vl::sys::testing {

// A shortcut file to a local path, in the layout the shell link object writes
// (header, item list, link info with the local base path).
inline std::string ShortcutBytes(const std::string& target, bool linkInfo = true) {
  auto put32 = [](std::string& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<char>(v >> (8 * i)));
  };
  auto put16 = [](std::string& b, uint16_t v) {
    b.push_back(static_cast<char>(v & 0xFF));
    b.push_back(static_cast<char>(v >> 8));
  };
  std::string b;
  put32(b, 0x4C);
  b += std::string("\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46", 16);
  put32(b, 0x80 | 0x1 | (linkInfo ? 0x2 : 0));  // unicode, item list, link info
  put32(b, 0x20);
  b += std::string(24, '\0');
  put32(b, 0);
  put32(b, 0);
  put32(b, 1);
  put16(b, 0);
  b += std::string(10, '\0');
  std::string item = "\x14\x00" + std::string(18, '\x1F');
  put16(b, static_cast<uint16_t>(item.size() + 2));
  b += item;
  put16(b, 0);
  if (linkInfo) {
    const uint32_t header = 0x1C;
    std::string body;
    put32(body, 0x10);
    put32(body, 3);
    put32(body, 0);
    put32(body, 0x10);
    uint32_t localOff = header + static_cast<uint32_t>(body.size());
    body += target + '\0';
    uint32_t suffixOff = header + static_cast<uint32_t>(body.size());
    body += '\0';
    std::string li;
    put32(li, header + static_cast<uint32_t>(body.size()));
    put32(li, header);
    put32(li, 1);
    put32(li, header);
    put32(li, localOff);
    put32(li, 0);
    put32(li, suffixOff);
    b += li + body;
  }
  put32(b, 0);
  return b;
}

}  // namespace vl::sys::testing
