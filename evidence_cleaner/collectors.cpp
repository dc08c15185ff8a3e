// The general collectors.
#include "evidence_cleaner/collectors.h"

#include "evidence_cleaner/evidence_types.h"
#include "sysaccess/folder_tree.h"
#include "sysaccess/format_text.h"
#include "sysaccess/text.h"

namespace vl::evidence {

namespace {

// Registry names never exceed 16,383 characters (values) and 255 (keys).
constexpr uint32_t kValueNameCapacity = 16384;
constexpr uint32_t kKeyNameCapacity = 256;
// Binary data shown as text is cut here: it is a hint for the user, not the data.
constexpr size_t kShownBinaryChars = 1024;

std::string SizeText(uint64_t size) { return sys::FormatSize(size); }

std::string Upper(const std::string& s) { return sys::ToUpperText(s); }

bool StartsWithUpper(const std::string& name, const char* prefix) {
  const std::string p(prefix);
  return name.size() >= p.size() && Upper(name.substr(0, p.size())) == p;
}

}  // namespace

std::vector<std::string> SubKeyNames(sys::RegistryApi& api, sys::RegRoot root, const std::string& key,
                                     uint32_t access) {
  std::vector<std::string> names;
  sys::ScopedKey k(api, root, key, access);
  if (!k.ok()) return names;
  for (uint32_t i = 0;; ++i) {
    std::string name;
    if (api.EnumKey(k.get(), i, kKeyNameCapacity, &name) != sys::kErrSuccess) break;
    names.push_back(name);
  }
  return names;
}

std::vector<std::string> ValueNames(sys::RegistryApi& api, sys::RegRoot root, const std::string& key,
                                    uint32_t access) {
  std::vector<std::string> names;
  sys::ScopedKey k(api, root, key, access);
  if (!k.ok()) return names;
  for (uint32_t i = 0;; ++i) {
    std::string name;
    sys::RegData data;
    // No data buffer: a large value (TrayNotify's streams) must not end the list.
    if (api.EnumValue(k.get(), i, kValueNameCapacity, 0, &name, &data) != sys::kErrSuccess) break;
    names.push_back(name);
  }
  return names;
}

bool ValueText(sys::RegistryApi& api, sys::RegRoot root, const std::string& key, const std::string& name,
               uint32_t access, std::string* text) {
  text->clear();
  sys::ScopedKey k(api, root, key, access);
  if (!k.ok()) return false;
  sys::RegData d;
  if (api.QueryValue(k.get(), name, 0, &d) != sys::kErrSuccess) return false;
  if (d.size > 0 && api.QueryValue(k.get(), name, d.size, &d) != sys::kErrSuccess) return false;
  std::u16string w;
  if (sys::IsTextType(d.type)) {
    for (size_t i = 0; i + 1 < d.bytes.size(); i += 2) {
      const char16_t ch = static_cast<char16_t>(static_cast<unsigned char>(d.bytes[i]) |
                                                (static_cast<unsigned char>(d.bytes[i + 1]) << 8));
      if (ch == 0) break;
      w.push_back(ch);
    }
  } else {
    for (char ch : d.bytes) {
      if (ch == 0 || w.size() >= kShownBinaryChars) break;
      w.push_back(static_cast<unsigned char>(ch));
    }
  }
  *text = sys::Utf16ToUtf8(w);
  return true;
}

std::string NormalizeFolder(const std::string& folder) {
  std::string out;
  for (size_t i = 0; i < folder.size(); ++i) {
    const char ch = folder[i];
    // "\\server\share" keeps its leading pair.
    if (ch == '\\' && !out.empty() && out.back() == '\\' && i != 1) continue;
    out += ch;
  }
  if (out.empty() || out.back() != '\\') out += '\\';
  return out;
}

void CollectRegistry(EvidenceContext& c, sys::RegRoot root, const std::string& key, RegMode mode, bool withData,
                     const std::string& valueName) {
  sys::RegistryApi& api = *c.platform().registry;
  const uint32_t access = c.access();
  switch (mode) {
    case RegMode::kSubKeys:
      for (const std::string& s : SubKeyNames(api, root, key, access)) {
        c.ShowHint("Scanning " + key + "\\" + s);
        c.AddItem(kRegistryKey, kDeleteItem, root, key + "\\" + s, "", "");
      }
      break;
    case RegMode::kValues:
      for (const std::string& n : ValueNames(api, root, key, access)) {
        c.ShowHint("Scanning " + key + "\\" + sys::ShownValueName(n));
        std::string data;
        if (withData) {
          ValueText(api, root, key, n, access, &data);
          data = sys::Trim(data);
        }
        c.AddItem(kRegistryValue, kDeleteItem, root, key, n, data);
      }
      break;
    case RegMode::kSingleValue: {
      std::string data;
      if (!ValueText(api, root, key, valueName, access, &data)) break;
      c.ShowHint("Scanning " + key + "\\" + valueName);
      data = sys::Trim(data);
      if (!data.empty()) c.AddItem(kRegistryValue, kBlankValue, root, key, valueName, data);
      break;
    }
  }
}

void CollectFolder(EvidenceContext& c, const std::string& folder, const std::string& fileName) {
  sys::FileSystem& files = *c.platform().files;
  const std::string d = NormalizeFolder(folder);
  if (!fileName.empty()) {
    c.ShowHint("Scanning " + d + fileName);
    sys::FileEntry e;
    if (files.GetEntry(d + fileName, e) && !e.IsFolder() && !e.IsReparsePoint())
      c.AddItem(kFile, kDeleteItem, 0, d + fileName, "", SizeText(e.size));
    return;
  }
  const int32_t type = c.typeNo();
  files.WalkFolder(d, [&](const sys::FileEntry& e) {
    if (c.Stopped()) return false;
    c.ShowHint("Scanning " + d + e.name);
    if (e.IsReparsePoint()) return true;
    // The system's own entries of the cookie and history folders stay (exact names).
    if (e.IsFolder()) {
      if ((type == 103 || type == 105) && e.name == "Low") return true;
      if (type == 105 && e.name == "History.IE5") return true;
      // The jump lists hold what the user pinned.
      if (type == 303 && (sys::EqualsNoCase(e.name, "AutomaticDestinations") ||
                          sys::EqualsNoCase(e.name, "CustomDestinations")))
        return true;
      c.AddItem(kFolder, kDeleteItem, 0, d + e.name, "", "");
    } else {
      if (type == 103 && e.name == "index.dat") return true;
      if (type == 105 && e.name == "desktop.ini") return true;
      c.AddItem(kFile, kDeleteItem, 0, d + e.name, "", SizeText(e.size));
    }
    return true;
  });
}

namespace {

// False once stopped.
bool WalkTree(EvidenceContext& c, const std::string& d, const std::string& filter) {
  bool stopped = false;
  c.platform().files->WalkFolder(d, [&](const sys::FileEntry& e) {
    if (c.Stopped()) {
      stopped = true;
      return false;
    }
    c.ShowHint("Scanning " + d + e.name);
    if (e.IsReparsePoint()) return true;
    if (e.IsFolder()) {
      if (!WalkTree(c, d + e.name + "\\", filter)) stopped = true;
      return !stopped;
    }
    if (filter != "*.*") {
      const size_t dot = e.name.rfind('.');
      if (dot == std::string::npos || sys::AsciiLower(e.name.substr(dot)) != filter) return true;
    }
    if (c.typeNo() == 101 && (e.name == "desktop.ini" || e.name == "index.dat")) return true;
    c.AddItem(kFile, kDeleteItem, 0, d + e.name, "", SizeText(e.size));
    return true;
  });
  return !stopped;
}

}  // namespace

void CollectFileTree(EvidenceContext& c, const std::string& folder, const std::string& filter) {
  WalkTree(c, NormalizeFolder(folder), filter);
}

void CollectHistoryFiles(EvidenceContext& c, const std::string& folder) {
  const std::string d = NormalizeFolder(folder);
  c.platform().files->WalkFolder(d, [&](const sys::FileEntry& e) {
    if (c.Stopped()) return false;
    // "History*.*": every name that starts with History, with or without a dot.
    if (!StartsWithUpper(e.name, "HISTORY")) return true;
    c.ShowHint("Scanning " + d + e.name);
    if (e.IsFolder() || e.IsReparsePoint()) return true;
    c.AddItem(kFile, kDeleteItem, 0, d + e.name, "", SizeText(e.size));
    return true;
  });
}

void CollectOffice(EvidenceContext& c) {
  sys::RegistryApi& api = *c.platform().registry;
  sys::Registry reg(api);
  const uint32_t access = c.access();
  const sys::RegRoot hkcu = sys::kHKCU;
  const std::string k = "Software\\Microsoft\\Office";
  auto keyItem = [&](const std::string& path) {
    if (reg.KeyExists(hkcu, path, access)) c.AddItem(kRegistryKey, kDeleteItem, hkcu, path, "", "");
  };
  for (const std::string& v : SubKeyNames(api, hkcu, k, access)) {
    const std::string o = k + "\\" + v;
    c.ShowHint("Scanning " + k + "\\" + v);
    const std::string access_ = o + "\\Access\\Settings";
    for (const std::string& n : ValueNames(api, hkcu, access_, access)) {
      if (!StartsWithUpper(n, "MRU")) continue;
      if (StartsWithUpper(n, "MRUFLAGS")) {
        c.AddItem(kRegistryValue, kDeleteItem, hkcu, access_, n, "");
      } else {
        std::string data;
        ValueText(api, hkcu, access_, n, access, &data);
        c.AddItem(kRegistryValue, kDeleteItem, hkcu, access_, n, sys::Trim(data));
      }
    }
    CollectRegistry(c, hkcu, o + "\\Excel\\Recent Files", RegMode::kValues, true);
    keyItem(o + "\\Common\\Open Find\\Microsoft Office Excel\\Settings");
    CollectRegistry(c, hkcu, o + "\\PowerPoint\\Recent Files", RegMode::kValues, true);
    keyItem(o + "\\Common\\Open Find\\Microsoft Office PowerPoint\\Settings");
    if (reg.ValueExistsExact(hkcu, o + "\\Word\\Data", "Settings", access))
      c.AddItem(kRegistryValue, kDeleteItem, hkcu, o + "\\Word\\Data", "Settings", "");
    keyItem(o + "\\Common\\Open Find\\Microsoft Office Word\\Settings");
    const std::string visio = o + "\\Visio\\Application";
    for (const std::string& n : ValueNames(api, hkcu, visio, access)) {
      if (!StartsWithUpper(n, "LASTFILE")) continue;
      std::string data;
      ValueText(api, hkcu, visio, n, access, &data);
      c.AddItem(kRegistryValue, kDeleteItem, hkcu, visio, n, sys::Trim(data));
    }
    keyItem(o + "\\Common\\Open Find\\Microsoft Office Visio\\Settings");
    CollectRegistry(c, hkcu, o + "\\MS Project\\Recent File List", RegMode::kValues, true);
    CollectRegistry(c, hkcu, o + "\\InfoPath\\Recent File List", RegMode::kValues, true);
    keyItem(o + "\\Common\\Open Find\\Microsoft Office InfoPath\\Settings");
    CollectRegistry(c, hkcu, o + "\\Clip Organizer\\Search\\Last Query", RegMode::kValues, true);
    CollectRegistry(c, hkcu, o + "\\Snapshot Viewer\\Recent File List", RegMode::kValues, true);
    CollectRegistry(c, hkcu, o + "\\Publisher\\Recent File List", RegMode::kValues, true);
    keyItem(o + "\\Common\\Open Find\\Microsoft Office Publisher\\Settings");
  }
}

void CollectAcrobat(EvidenceContext& c) {
  sys::RegistryApi& api = *c.platform().registry;
  const std::string k = "Software\\Adobe\\Acrobat Reader";
  for (const std::string& v : SubKeyNames(api, sys::kHKCU, k, c.access())) {
    c.ShowHint("Scanning " + k + "\\" + v);
    const std::string recent = k + "\\" + v + "\\AVGeneral\\cRecentFiles";
    for (const std::string& s : SubKeyNames(api, sys::kHKCU, recent, c.access()))
      c.AddItem(kRegistryKey, kDeleteItem, sys::kHKCU, recent + "\\" + s, "", "");
  }
}

void CollectOfficeMru(EvidenceContext& c) {
  sys::RegistryApi& api = *c.platform().registry;
  const std::string k = "Software\\Microsoft\\Office";
  for (const std::string& v : SubKeyNames(api, sys::kHKCU, k, c.access())) {
    for (const std::string& app : SubKeyNames(api, sys::kHKCU, k + "\\" + v, c.access())) {
      const std::string a = k + "\\" + v + "\\" + app;
      c.ShowHint("Scanning " + a);
      // Office 2016 keeps both forms side by side.
      std::vector<std::string> bases = {a};
      for (const std::string& id : SubKeyNames(api, sys::kHKCU, a + "\\User MRU", c.access()))
        bases.push_back(a + "\\User MRU\\" + id);
      for (const std::string& b : bases)
        for (const char* list : {"File MRU", "Place MRU"})
          CollectRegistry(c, sys::kHKCU, b + "\\" + list, RegMode::kValues, true);
    }
  }
}

}  // namespace vl::evidence
