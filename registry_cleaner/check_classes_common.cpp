// Helpers shared by the class, file type and empty key checks.
#include <string>

#include "registry_cleaner/check_classes.h"
#include "sysaccess/text.h"

namespace vl::registry::classes {

bool ContainsAny(const std::string& text, const std::vector<const char*>& parts) {
  for (const char* part : parts)
    if (text.find(part) != std::string::npos) return true;
  return false;
}

NameSet::NameSet(const std::vector<std::string>& names) {
  names_.reserve(names.size());
  for (const auto& n : names) Add(n);
}

void NameSet::Add(const std::string& name) { names_.insert(sys::ToUpperText(name)); }

bool NameSet::Contains(const std::string& name) const {
  return names_.count(sys::ToUpperText(name)) != 0;
}

KeyContents CountKeyContents(sys::Registry& registry, sys::RegRoot root, const std::string& key,
                             uint32_t mask) {
  KeyContents c;
  sys::RegistryApi& api = registry.api();
  sys::ScopedKey k(api, root, key, mask);
  if (!k.ok()) return c;
  c.opened = true;
  if (api.QueryKeyCounts(k.get(), &c.subKeys, &c.values) == sys::kErrSuccess) return c;
  // No counts from the system: enumerate, counting entries too long for a buffer as well.
  c.subKeys = c.values = 0;
  for (uint32_t i = 0;; ++i) {
    std::string name;
    long rc = api.EnumKey(k.get(), i, 32768, &name);
    if (rc != sys::kErrSuccess && rc != sys::kErrMoreData) break;
    ++c.subKeys;
  }
  for (uint32_t i = 0;; ++i) {
    std::string name;
    sys::RegData d;
    long rc = api.EnumValue(k.get(), i, 32768, 0, &name, &d);
    if (rc != sys::kErrSuccess && rc != sys::kErrMoreData) break;
    ++c.values;
  }
  return c;
}

}  // namespace vl::registry::classes
