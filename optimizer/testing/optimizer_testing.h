// Test support for the optimizer: registry state as readable lines, and
// shortcut files built byte by byte.
#pragma once
#include <algorithm>
#include <string>
#include <vector>

#include "sysaccess/reg_writer.h"
#include "sysaccess/testing/shortcut_bytes.h"
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

using sys::testing::ShortcutBytes;

}  // namespace vl::optimizer::testing
