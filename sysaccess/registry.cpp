// The registry operations of the features, built on the backend primitives.
#include "sysaccess/registry.h"

#include "sysaccess/reg_writer.h"
#include "sysaccess/text.h"

namespace vl::sys {

namespace {

struct RootName {
  RegRoot root;
  const char* longName;
  const char* shortName;
};
constexpr RootName kRootNames[] = {
    {kHKCR, "HKEY_CLASSES_ROOT", "HKCR"},   {kHKCU, "HKEY_CURRENT_USER", "HKCU"},
    {kHKLM, "HKEY_LOCAL_MACHINE", "HKLM"},  {kHKU, "HKEY_USERS", "HKU"},
    {kHKCC, "HKEY_CURRENT_CONFIG", "HKCC"}, {kHKDD, "HKEY_DYN_DATA", "HKDD"},
};

// Limits are stated for single-byte text; the wide calls count characters,
// so a text value gets two bytes per allowed character.
uint32_t CapacityFor(uint32_t limit) { return limit * 2; }
bool FitsLimit(const RegData& d, uint32_t limit) {
  return IsTextType(d.type) ? d.size <= limit * 2 : d.size <= limit;
}

// Data taken as text up to its first zero, whatever the type: text types are
// UTF-16, other data is single bytes.
std::string DataAsText(const RegData& d) {
  if (IsTextType(d.type)) {
    std::u16string w;
    for (size_t i = 0; i + 1 < d.bytes.size(); i += 2) {
      char16_t c = static_cast<char16_t>(static_cast<unsigned char>(d.bytes[i]) |
                                         (static_cast<unsigned char>(d.bytes[i + 1]) << 8));
      if (c == 0) break;
      w.push_back(c);
    }
    return Utf16ToUtf8(w);
  }
  std::u16string w;
  for (char c : d.bytes) {
    if (c == 0) break;
    w.push_back(static_cast<unsigned char>(c));
  }
  return Utf16ToUtf8(w);
}

}  // namespace

std::string RootLongName(RegRoot root) {
  for (const auto& r : kRootNames) if (r.root == root) return r.longName;
  return "";
}

std::string RootShortName(RegRoot root) {
  for (const auto& r : kRootNames) if (r.root == root) return r.shortName;
  return "";
}

bool ParseRootName(const std::string& name, RegRoot* root) {
  for (const auto& r : kRootNames) {
    if (EqualsNoCase(name, r.longName) || EqualsNoCase(name, r.shortName)) {
      *root = r.root;
      return true;
    }
  }
  return false;
}

namespace {

std::vector<std::string> PathParts(const std::string& path) {
  std::vector<std::string> parts;
  std::string cur;
  for (char c : path) {
    if (c == '\\') {
      if (!cur.empty()) parts.push_back(cur);
      cur.clear();
    } else {
      cur.push_back(c);
    }
  }
  if (!cur.empty()) parts.push_back(cur);
  return parts;
}

std::string JoinParts(const std::vector<std::string>& parts) {
  std::string out;
  for (const auto& p : parts) out += (out.empty() ? "" : "\\") + p;
  return out;
}

bool IsWow6432Node(const std::string& part) { return EqualsNoCase(part, "Wow6432Node"); }

// The keys below a classes root that each view keeps for itself.
bool IsRedirectedClassKey(const std::string& part) {
  for (const char* k : {"CLSID", "DirectShow", "Interface", "Media Type", "MediaFoundation"})
    if (EqualsNoCase(part, k)) return true;
  return false;
}

// Keys below HKLM\SOFTWARE that both views share (Windows 7 and later).
bool IsSharedSoftwareKey(const std::vector<std::string>& parts) {
  static const char* const kShared[] = {
      "Clients", "Microsoft\\COM3", "Microsoft\\Cryptography\\Calais\\Current",
      "Microsoft\\Cryptography\\Calais\\Readers", "Microsoft\\Cryptography\\Services",
      "Microsoft\\CTF\\SystemShared", "Microsoft\\CTF\\TIP", "Microsoft\\DFS", "Microsoft\\Driver Signing",
      "Microsoft\\EnterpriseCertificates", "Microsoft\\EventSystem", "Microsoft\\MSMQ",
      "Microsoft\\Non-Driver Signing", "Microsoft\\Notepad\\DefaultFonts", "Microsoft\\OLE", "Microsoft\\RAS",
      "Microsoft\\RPC", "Microsoft\\SOFTWARE\\Microsoft\\Shared Tools\\MSInfo", "Microsoft\\SystemCertificates",
      "Microsoft\\TermServLicensing", "Microsoft\\TransactionServer", "Microsoft\\Transaction Server",
      "Microsoft\\Windows\\CurrentVersion\\App Paths",
      "Microsoft\\Windows\\CurrentVersion\\Control Panel\\Cursors\\Schemes",
      "Microsoft\\Windows\\CurrentVersion\\Explorer\\AutoplayHandlers",
      "Microsoft\\Windows\\CurrentVersion\\Explorer\\DriveIcons",
      "Microsoft\\Windows\\CurrentVersion\\Explorer\\KindMap", "Microsoft\\Windows\\CurrentVersion\\Group Policy",
      "Microsoft\\Windows\\CurrentVersion\\Policies", "Microsoft\\Windows\\CurrentVersion\\PreviewHandlers",
      "Microsoft\\Windows\\CurrentVersion\\Setup", "Microsoft\\Windows\\CurrentVersion\\Telephony\\Locations",
      "Microsoft\\Windows NT\\CurrentVersion\\Console", "Microsoft\\Windows NT\\CurrentVersion\\FontDpi",
      "Microsoft\\Windows NT\\CurrentVersion\\FontLink", "Microsoft\\Windows NT\\CurrentVersion\\FontMapper",
      "Microsoft\\Windows NT\\CurrentVersion\\Fonts", "Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes",
      "Microsoft\\Windows NT\\CurrentVersion\\Gre_Initialize",
      "Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options",
      "Microsoft\\Windows NT\\CurrentVersion\\Language Pack", "Microsoft\\Windows NT\\CurrentVersion\\NetworkCards",
      "Microsoft\\Windows NT\\CurrentVersion\\Perflib", "Microsoft\\Windows NT\\CurrentVersion\\Ports",
      "Microsoft\\Windows NT\\CurrentVersion\\Print", "Microsoft\\Windows NT\\CurrentVersion\\ProfileList",
      "Microsoft\\Windows NT\\CurrentVersion\\Time Zones", "Policies", "RegisteredApplications",
  };
  for (const char* entry : kShared) {
    const std::vector<std::string> e = PathParts(entry);
    if (parts.size() < e.size() + 1) continue;  // parts[0] is SOFTWARE
    bool match = true;
    for (size_t i = 0; match && i < e.size(); ++i) match = EqualsNoCase(parts[i + 1], e[i]);
    if (match) return true;
  }
  return false;
}

// Classes below `at` (parts[at] is the first key below a classes root).
std::string ClassesPath32(std::vector<std::string> parts, size_t at) {
  if (parts.size() <= at || !IsRedirectedClassKey(parts[at])) return "";
  parts.insert(parts.begin() + static_cast<std::ptrdiff_t>(at), "Wow6432Node");
  return JoinParts(parts);
}

}  // namespace

std::string Wow64Path32(RegRoot root, const std::string& path) {
  std::vector<std::string> parts = PathParts(path);
  for (const auto& p : parts)
    if (IsWow6432Node(p)) return "";
  switch (root) {
    case kHKCR: return ClassesPath32(parts, 0);
    case kHKCU:
      if (parts.size() >= 2 && EqualsNoCase(parts[0], "Software") && EqualsNoCase(parts[1], "Classes"))
        return ClassesPath32(parts, 2);
      return "";
    case kHKU: {
      if (parts.empty()) return "";
      const std::string& hive = parts[0];
      if (hive.size() > 8 && EqualsNoCase(hive.substr(hive.size() - 8), "_Classes")) return ClassesPath32(parts, 1);
      if (parts.size() >= 3 && EqualsNoCase(parts[1], "Software") && EqualsNoCase(parts[2], "Classes"))
        return ClassesPath32(parts, 3);
      return "";
    }
    case kHKLM:
      if (parts.empty() || !EqualsNoCase(parts[0], "SOFTWARE")) return "";
      if (parts.size() >= 2 && EqualsNoCase(parts[1], "Classes")) return ClassesPath32(parts, 2);
      if (IsSharedSoftwareKey(parts)) return "";
      parts.insert(parts.begin() + 1, "Wow6432Node");
      return JoinParts(parts);
    default: return "";
  }
}

std::string EffectiveValueName(const std::string& name) {
  return EqualsNoCase(name, "(default)") ? std::string() : name;
}

bool Registry::KeyExists(RegRoot root, const std::string& key, uint32_t mask) {
  ScopedKey k(api_, root, key, mask);
  return k.ok();
}

bool Registry::KeyIsEmpty(RegRoot root, const std::string& key, uint32_t mask) {
  std::vector<std::string> subKeys;
  if (EnumSubKeys(subKeys, root, key, mask) > 0) return false;
  ScopedKey k(api_, root, key, mask);
  if (!k.ok()) return true;
  // Counts, not an enumeration: a value or subkey too long for the
  // enumeration buffers still makes the key non-empty.
  uint32_t nKeys = 0, nValues = 0;
  if (api_.QueryKeyCounts(k.get(), &nKeys, &nValues) != kErrSuccess) {
    RegData d;
    std::string name;
    long rc = api_.EnumValue(k.get(), 0, 32768, 0, &name, &d);
    return rc == kErrNoMoreItems;
  }
  return nKeys == 0 && nValues == 0;
}

bool Registry::ValueExists(RegRoot root, const std::string& key, const std::string& name,
                           uint32_t mask) {
  ScopedKey k(api_, root, key, mask);
  if (!k.ok()) return false;
  RegData d;
  return api_.QueryValue(k.get(), EffectiveValueName(name), 0, &d) == kErrSuccess;
}

bool Registry::ValueExistsExact(RegRoot root, const std::string& key, const std::string& name, uint32_t mask) {
  ScopedKey k(api_, root, key, mask);
  RegData d;
  return k.ok() && api_.QueryValue(k.get(), name, 0, &d) == kErrSuccess;
}

std::string Registry::ReadString(RegRoot root, const std::string& key, const std::string& name,
                                 uint32_t mask) {
  return ReadStringExact(root, key, EffectiveValueName(name), mask);
}

std::string Registry::ReadStringExact(RegRoot root, const std::string& key, const std::string& name,
                                      uint32_t mask) {
  ScopedKey k(api_, root, key, mask);
  if (!k.ok()) return "";
  RegData d;
  if (api_.QueryValue(k.get(), name, CapacityFor(kReadStringLimit), &d) != kErrSuccess)
    return "";
  if (!FitsLimit(d, kReadStringLimit)) return "";
  return DataAsText(d);
}

bool Registry::SetValueOfType(RegRoot root, const std::string& key, const std::string& name,
                              uint32_t type, const std::string& bytes, uint32_t mask) {
  ScopedKey k(api_, root, key, mask);
  if (!k.ok()) return false;
  return api_.SetValue(k.get(), EffectiveValueName(name), type, bytes) == kErrSuccess;
}

bool Registry::WriteString(RegRoot root, const std::string& key, const std::string& name,
                           const std::string& text, uint32_t mask) {
  return SetValueOfType(root, key, name, kRegSz, Utf8ToUtf16Bytes(text) + std::string(2, '\0'), mask);
}

bool Registry::WriteDWord(RegRoot root, const std::string& key, const std::string& name,
                          uint32_t value, uint32_t mask) {
  std::string b(4, '\0');
  for (int i = 0; i < 4; ++i) b[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  return SetValueOfType(root, key, name, kRegDword, b, mask);
}

bool Registry::WriteBinary(RegRoot root, const std::string& key, const std::string& name,
                           const std::string& bytes, uint32_t mask) {
  return SetValueOfType(root, key, name, kRegBinary, bytes, mask);
}

bool Registry::DeleteValue(RegRoot root, const std::string& key, const std::string& name,
                           uint32_t mask) {
  return RemoveValue(root, key, EffectiveValueName(name), mask) == kErrSuccess;
}

long Registry::RemoveValue(RegRoot root, const std::string& key, const std::string& name, uint32_t mask) {
  ScopedKey k(api_, root, key, mask);
  if (!k.ok()) return k.status();
  return api_.RemoveValue(k.get(), name);
}

bool Registry::DeleteKey(RegRoot root, const std::string& key, uint32_t mask) {
  return DeleteKeyTree(root, key, mask) == kErrSuccess;
}

namespace {
std::string WithoutLeadingSlash(const std::string& key) {
  return !key.empty() && key[0] == '\\' ? key.substr(1) : key;
}
}  // namespace

long Registry::DeleteKeyTree(RegRoot root, const std::string& key, uint32_t mask) {
  const std::string path = WithoutLeadingSlash(key);
  if (path.empty()) return kErrAccessDenied;
  if (mask != kMaskAll64) return DeleteKeyDepthFirst(root, path, mask);
  ScopedKey k(api_, root, path, mask);
  if (!k.ok()) return k.status();
  // 64-bit view: the tree below goes through RegDeleteTree, the key itself
  // through RegDeleteKeyEx so that the view flag is honoured.
  long rc = api_.RemoveTree(k.get(), "");
  if (rc != kErrSuccess) return rc;
  return api_.RemoveKeyEx(root, path, mask);
}

long Registry::DeleteLeafKey(RegRoot root, const std::string& key, uint32_t mask) {
  const std::string path = WithoutLeadingSlash(key);
  if (path.empty()) return kErrAccessDenied;
  if (mask & (kWow64Key64 | kWow64Key32)) {
    long rc = api_.RemoveKeyEx(root, path, mask);
    if (rc != kErrCallNotImplemented) return rc;
  }
  return api_.RemoveKey(root, path);
}

long Registry::DeleteKeyDepthFirst(RegRoot root, const std::string& key, uint32_t mask) {
  ScopedKey k(api_, root, key, mask);
  if (!k.ok()) return k.status();
  for (;;) {
    // Index 0 every time: each deleted subkey moves the next one there.
    std::string name;
    long rc = api_.EnumKey(k.get(), 0, kDeleteNameChars, &name);
    if (rc == kErrNoMoreItems) return api_.RemoveKey(root, key);
    if (rc != kErrSuccess) return rc;
    rc = DeleteKeyDepthFirst(root, key + "\\" + name, mask);
    if (rc != kErrSuccess) return rc;
  }
}

int Registry::EnumSubKeys(std::vector<std::string>& list, RegRoot root, const std::string& key,
                          uint32_t mask) {
  list.clear();
  ScopedKey k(api_, root, key, mask);
  if (!k.ok()) return 0;
  for (uint32_t i = 0;; ++i) {
    std::string name;
    long rc = api_.EnumKey(k.get(), i, kSubKeyNameChars, &name);
    if (rc == kErrMoreData) continue;  // too long for the buffer: not listed, go on
    if (rc != kErrSuccess) break;
    list.push_back(name);
  }
  return static_cast<int>(list.size());
}

int Registry::EnumValueNames(std::vector<std::string>& list, RegRoot root, const std::string& key,
                             uint32_t mask) {
  EnumValueNamesExact(list, root, key, mask);
  for (std::string& name : list) name = ShownValueName(name);
  return static_cast<int>(list.size());
}

int Registry::EnumValueNamesExact(std::vector<std::string>& list, RegRoot root, const std::string& key,
                                  uint32_t mask) {
  list.clear();
  ScopedKey k(api_, root, key, mask);
  if (!k.ok()) return 0;
  for (uint32_t i = 0;; ++i) {
    std::string name;
    RegData d;
    long rc = api_.EnumValue(k.get(), i, kValueNameChars, CapacityFor(kValueDataLimit), &name, &d);
    if (rc != kErrSuccess || !FitsLimit(d, kValueDataLimit)) break;
    list.push_back(name);
  }
  return static_cast<int>(list.size());
}

void Registry::ExportValue(RegRoot root, const std::string& key, const std::string& name,
                           std::vector<std::string>& lines, uint32_t mask) {
  ScopedKey k(api_, root, key, mask);
  if (!k.ok()) return;
  if (name.empty()) {
    lines.push_back(RegKeyLine(root, key));
    return;
  }
  // The name is taken as given here: "(Default)" is an ordinary name.
  RegData d;
  if (api_.QueryValue(k.get(), name, CapacityFor(kExportDataLimit), &d) != kErrSuccess) return;
  if (!FitsLimit(d, kExportDataLimit)) return;
  lines.push_back(RegKeyLine(root, key));
  std::string line = RegValueLine(name, d);
  if (!line.empty()) lines.push_back(line);
}

}  // namespace vl::sys
