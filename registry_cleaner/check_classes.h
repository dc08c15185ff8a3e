// The checks of categories 0, 2, 3 and 6 (class registrations, empty keys,
// file extensions, file associations) and the reading helpers they share.
#pragma once
#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "registry_cleaner/scan_context.h"
#include "sysaccess/registry.h"
#include "sysaccess/text.h"

namespace vl::registry {

void CheckActiveX(ScanContext& context);
void CheckEmptyKeys(ScanContext& context);
void CheckFileExtensions(ScanContext& context);
void CheckFileAssociations(ScanContext& context);

namespace classes {

using sys::Trim;

// True when `text` contains any of the texts (case-sensitive).
bool ContainsAny(const std::string& text, const std::vector<const char*>& parts);

// Names read from the registry; membership ignores letter case.
class NameSet {
 public:
  NameSet() = default;
  explicit NameSet(const std::vector<std::string>& names);
  void Add(const std::string& name);
  bool Contains(const std::string& name) const;
  bool empty() const { return names_.empty(); }

 private:
  std::unordered_set<std::string> names_;
};

// What a key holds, counted by the system rather than by the enumeration
// buffers, so that a long name or large data still counts.
struct KeyContents {
  bool opened = false;
  uint32_t subKeys = 0;
  uint32_t values = 0;
};
KeyContents CountKeyContents(sys::Registry& registry, sys::RegRoot root, const std::string& key,
                             uint32_t mask);

}  // namespace classes
}  // namespace vl::registry
