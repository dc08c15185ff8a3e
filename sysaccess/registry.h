// Registry access. RegistryApi is the small set of primitives a backend
// provides (the Win32 registry, or the in-memory one of the sim backend); the
// Registry class builds the operations the features use on top of them, so the
// buffer limits, the "(default)" name rule and both key deletion paths are the
// same code on every backend.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace vl::sys {

// Predefined roots, held as their 32-bit handle values.
using RegRoot = uint32_t;
constexpr RegRoot kHKCR = 0x80000000u;
constexpr RegRoot kHKCU = 0x80000001u;
constexpr RegRoot kHKLM = 0x80000002u;
constexpr RegRoot kHKU = 0x80000003u;
constexpr RegRoot kHKCC = 0x80000005u;
constexpr RegRoot kHKDD = 0x80000006u;

// Access masks: KEY_ALL_ACCESS, and the same with KEY_WOW64_64KEY.
constexpr uint32_t kMaskAll = 0xF003Fu;
constexpr uint32_t kMaskAll64 = 0xF013Fu;
constexpr uint32_t kWow64Key64 = 0x0100u;
constexpr uint32_t kWow64Key32 = 0x0200u;
// The mask a worker uses, from the WOW64 flag computed at start.
inline uint32_t AccessMask(bool wow64) { return wow64 ? kMaskAll64 : kMaskAll; }

// Value types.
constexpr uint32_t kRegNone = 0, kRegSz = 1, kRegExpandSz = 2, kRegBinary = 3, kRegDword = 4,
                   kRegDwordBigEndian = 5, kRegLink = 6, kRegMultiSz = 7, kRegQword = 11;
inline bool IsTextType(uint32_t type) {
  return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

// Windows error codes the layer relies on.
constexpr long kErrSuccess = 0;
constexpr long kErrFileNotFound = 2;
constexpr long kErrAccessDenied = 5;
constexpr long kErrInvalidHandle = 6;
constexpr long kErrNotSupported = 50;
constexpr long kErrInvalidParameter = 87;
constexpr long kErrCallNotImplemented = 120;
constexpr long kErrMoreData = 234;
constexpr long kErrNoMoreItems = 259;
constexpr long kErrKeyDeleted = 1018;

// An open key; a root value is also accepted wherever a parent is expected.
using RegKey = uintptr_t;

// Raw value as the system stores it: text types are UTF-16LE bytes with their
// terminating zero, exactly as the wide functions hand them out.
struct RegData {
  uint32_t type = kRegNone;
  std::string bytes;
  uint32_t size = 0;  // data size in bytes, also when the data was not read
};

class RegistryApi {
 public:
  virtual ~RegistryApi() = default;

  virtual long OpenKey(RegKey parent, const std::string& subKey, uint32_t mask, RegKey* out) = 0;
  // Opens or creates; the operations below never call it (writes never
  // create keys), fixtures and the .reg import do.
  virtual long CreateKey(RegKey parent, const std::string& subKey, uint32_t mask, RegKey* out) = 0;
  virtual long CloseKey(RegKey key) = 0;
  // With capacity 0 only type and size are asked for. Otherwise the data must
  // fit `capacity` bytes, else kErrMoreData (size still reported).
  virtual long QueryValue(RegKey key, const std::string& name, uint32_t capacity, RegData* out) = 0;
  // nameCapacity counts UTF-16 units including the terminating zero, as the
  // wide enumeration calls do.
  virtual long EnumKey(RegKey key, uint32_t index, uint32_t nameCapacity, std::string* name) = 0;
  // dataCapacity 0: no data buffer (type and size only).
  virtual long EnumValue(RegKey key, uint32_t index, uint32_t nameCapacity, uint32_t dataCapacity,
                         std::string* name, RegData* data) = 0;
  virtual long QueryKeyCounts(RegKey key, uint32_t* subKeys, uint32_t* values) = 0;
  virtual long SetValue(RegKey key, const std::string& name, uint32_t type, const std::string& bytes) = 0;
  virtual long RemoveValue(RegKey key, const std::string& name) = 0;
  // Deletes a key that has no subkeys (RegDeleteKey).
  virtual long RemoveKey(RegKey parent, const std::string& subKey) = 0;
  // RegDeleteTree / RegDeleteKeyEx, bound at run time on Windows:
  // kErrCallNotImplemented when the system lacks them.
  virtual long RemoveTree(RegKey key, const std::string& subKey) = 0;
  virtual long RemoveKeyEx(RegKey parent, const std::string& subKey, uint32_t mask) = 0;
  // True when the subkey is a registry link (opened without following it,
  // it holds "SymbolicLinkValue" of type REG_LINK). A backup never goes
  // through one: what it points to is not the tree being removed.
  virtual bool IsLink(RegKey parent, const std::string& subKey, uint32_t mask) = 0;
};

// Opens on construction, closes on destruction.
class ScopedKey {
 public:
  ScopedKey(RegistryApi& api, RegKey parent, const std::string& sub, uint32_t mask)
      : api_(api) { status_ = api.OpenKey(parent, sub, mask, &key_); }
  ~ScopedKey() { if (status_ == kErrSuccess) api_.CloseKey(key_); }
  ScopedKey(const ScopedKey&) = delete;
  ScopedKey& operator=(const ScopedKey&) = delete;
  bool ok() const { return status_ == kErrSuccess; }
  long status() const { return status_; }
  RegKey get() const { return key_; }

 private:
  RegistryApi& api_;
  RegKey key_ = 0;
  long status_;
};

// Root names: long ("HKEY_LOCAL_MACHINE") and short ("HKLM"); empty for a root
// outside the table.
std::string RootLongName(RegRoot root);
std::string RootShortName(RegRoot root);
// Accepts the long or short name, any letter case; false when unknown.
bool ParseRootName(const std::string& name, RegRoot* root);

// The operations. Stateless: every call opens the key it needs and closes it.
// Failures show only in the results.
class Registry {
 public:
  explicit Registry(RegistryApi& api) : api_(api) {}

  // Buffer limits, counted in characters of text (bytes for other data).
  static constexpr uint32_t kReadStringLimit = 1024;
  static constexpr uint32_t kSubKeyNameChars = 254;
  static constexpr uint32_t kValueNameChars = 100;
  static constexpr uint32_t kValueDataLimit = 1023;
  static constexpr uint32_t kDeleteNameChars = 1024;
  static constexpr uint32_t kExportDataLimit = 256;

  bool KeyExists(RegRoot root, const std::string& key, uint32_t mask);
  bool KeyIsEmpty(RegRoot root, const std::string& key, uint32_t mask);
  bool ValueExists(RegRoot root, const std::string& key, const std::string& name, uint32_t mask);
  std::string ReadString(RegRoot root, const std::string& key, const std::string& name, uint32_t mask);
  bool WriteString(RegRoot root, const std::string& key, const std::string& name,
                   const std::string& text, uint32_t mask);
  bool WriteDWord(RegRoot root, const std::string& key, const std::string& name, uint32_t value,
                  uint32_t mask);
  bool WriteBinary(RegRoot root, const std::string& key, const std::string& name,
                   const std::string& bytes, uint32_t mask);
  bool DeleteValue(RegRoot root, const std::string& key, const std::string& name, uint32_t mask);
  bool DeleteKey(RegRoot root, const std::string& key, uint32_t mask);
  // The same three with the system's error code (kErrSuccess on success);
  // RemoveValue takes the exact name ("" is the unnamed value).
  long RemoveValue(RegRoot root, const std::string& key, const std::string& name, uint32_t mask);
  long DeleteKeyTree(RegRoot root, const std::string& key, uint32_t mask);
  // Deletes the key only when it has no subkeys (the system refuses otherwise).
  long DeleteLeafKey(RegRoot root, const std::string& key, uint32_t mask);
  int EnumSubKeys(std::vector<std::string>& list, RegRoot root, const std::string& key, uint32_t mask);
  int EnumValueNames(std::vector<std::string>& list, RegRoot root, const std::string& key, uint32_t mask);
  // The names as stored: "" is the unnamed value, and a value really named
  // "(Default)" stays a value of its own. Read them with ReadStringExact.
  int EnumValueNamesExact(std::vector<std::string>& list, RegRoot root, const std::string& key, uint32_t mask);
  bool ValueExistsExact(RegRoot root, const std::string& key, const std::string& name, uint32_t mask);
  std::string ReadStringExact(RegRoot root, const std::string& key, const std::string& name, uint32_t mask);
  // Appends the .reg lines of one value, or of the key when `name` is empty.
  void ExportValue(RegRoot root, const std::string& key, const std::string& name,
                   std::vector<std::string>& lines, uint32_t mask);

  RegistryApi& api() { return api_; }

 private:
  bool SetValueOfType(RegRoot root, const std::string& key, const std::string& name, uint32_t type,
                      const std::string& bytes, uint32_t mask);
  long DeleteKeyDepthFirst(RegRoot root, const std::string& key, uint32_t mask);

  RegistryApi& api_;
};

// How a value is shown: "(Default)" for the unnamed one.
inline std::string ShownValueName(const std::string& exact) { return exact.empty() ? "(Default)" : exact; }

// WOW64 on Windows 7 and later: where the 32-bit view keeps `path` (relative
// to HKLM, HKCU, HKU or HKCR), named as the 64-bit view sees it, e.g.
// "SOFTWARE\\Wow6432Node\\Microsoft\\..." or "Wow6432Node\\CLSID\\{...}". Empty
// when both views share the key (HKCU, the classes root apart from class ids
// and interfaces, App Paths, Fonts, SYSTEM ...) or the path names a
// Wow6432Node itself.
std::string Wow64Path32(RegRoot root, const std::string& path);

// "(default)" in any letter case addresses the unnamed value.
std::string EffectiveValueName(const std::string& name);

}  // namespace vl::sys
