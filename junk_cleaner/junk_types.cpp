// The junk groups among the shared scan result list.
#include "junk_cleaner/junk_types.h"

namespace vl::junk {

std::vector<TSearchJunk*> JunkGroups(MainForm& m) {
  std::vector<TSearchJunk*> groups;
  for (auto& r : m.scanResults)
    if (auto* g = dynamic_cast<TSearchJunk*>(r.get())) groups.push_back(g);
  return groups;
}

}  // namespace vl::junk
