// Test support for the optimizer: registry state as readable lines, and
// shortcut files built byte by byte.
#pragma once
#include <algorithm>
#include <string>
#include <vector>

#include "sysaccess/reg_writer.h"
#include "sysaccess/registry.h"
#include "sysaccess/text.h"

namespace vl::optimizer::testing {

// "dword:30", "sz:1000", "hex:00,01", "type7:..." for one stored value.
inline std::string ValueText(const sys::RegData& d) {
  switch (d.type) {
    case sys::kRegSz: {
      std::string t = sys::Utf16BytesToUtf8(d.bytes);
      while (!t.empty() && t.back() == '\0') t.pop_back();
      return "sz:" + t;
    }
    case sys::kRegDword: {
      uint32_t v = 0;
      for (size_t i = 0; i < 4 && i < d.bytes.size(); ++i) v |= uint32_t(uint8_t(d.bytes[i])) << (8 * i);
      return "dword:" + std::to_string(v);
    }
    case sys::kRegBinary: return "hex:" + sys::HexBytes(d.bytes);
    default: return "type" + std::to_string(d.type) + ":" + sys::HexBytes(d.bytes);
  }
}

// The value as text; "absent" when it or its key does not exist.
inline std::string Value(sys::RegistryApi& api, sys::RegRoot root, const std::string& key, const std::string& name,
                         uint32_t mask = sys::kMaskAll) {
  sys::ScopedKey k(api, root, key, mask);
  if (!k.ok()) return "absent";
  sys::RegData d;
  if (api.QueryValue(k.get(), name, 0, &d) != sys::kErrSuccess) return "absent";
  if (api.QueryValue(k.get(), name, std::max<uint32_t>(d.size, 1), &d) != sys::kErrSuccess) return "unreadable";
  return ValueText(d);
}

// Every value of the key, "ROOT\key\name=text", sorted.
inline std::vector<std::string> KeyValues(sys::RegistryApi& api, sys::RegRoot root, const std::string& key,
                                          uint32_t mask = sys::kMaskAll) {
  sys::Registry reg(api);
  std::vector<std::string> names, out;
  reg.EnumValueNamesExact(names, root, key, mask);
  for (const std::string& n : names)
    out.push_back(sys::RootShortName(root) + "\\" + key + "\\" + n + "=" + Value(api, root, key, n, mask));
  std::sort(out.begin(), out.end());
  return out;
}

// The whole tree below root\key: keys and values, each key's values sorted
// by name (a restored value comes back last among its key's values; the
// order of values means nothing to Windows).
inline void Snapshot(sys::RegistryApi& api, sys::RegRoot root, const std::string& key, std::vector<std::string>& out,
                     uint32_t mask = sys::kMaskAll) {
  sys::Registry reg(api);
  if (!key.empty() && !reg.KeyExists(root, key, mask)) return;
  out.push_back("[" + sys::RootShortName(root) + "\\" + key + "]");
  for (const std::string& v : KeyValues(api, root, key, mask)) out.push_back(v);
  std::vector<std::string> subs;
  reg.EnumSubKeys(subs, root, key, mask);
  std::sort(subs.begin(), subs.end());
  for (const std::string& s : subs) Snapshot(api, root, key.empty() ? s : key + "\\" + s, out, mask);
}

inline std::vector<std::string> Snapshot(sys::RegistryApi& api) {
  std::vector<std::string> out;
  for (sys::RegRoot r : {sys::kHKCU, sys::kHKLM, sys::kHKCR}) Snapshot(api, r, "", out);
  return out;
}

// A shortcut file to a local path, in the layout the shell link object
// writes (header, item list, link info with the local base path).
inline std::string ShortcutBytes(const std::string& target) {
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
  put32(b, 0x80 | 0x1 | 0x2);  // unicode, item list, link info
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
  const uint32_t header = 0x1C;
  std::string body;
  put32(body, 0x10);
  put32(body, 3);
  put32(body, 0);
  put32(body, 0x10);
  const uint32_t localOff = header + static_cast<uint32_t>(body.size());
  body += target + '\0';
  const uint32_t suffixOff = header + static_cast<uint32_t>(body.size());
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
  put32(b, 0);
  return b;
}

}  // namespace vl::optimizer::testing
