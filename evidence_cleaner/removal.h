// The removal of the selected evidence items: registry keys with their
// trees, values deleted or blanked, files, folders with their content, and
// Firefox's rows. Links are removed as links, never entered or followed.
#pragma once
#include <string>
#include <vector>

#include "evidence_cleaner/evidence_types.h"
#include "sysaccess/platform.h"

namespace vl::evidence {

class RemovalContext {
 public:
  virtual ~RemovalContext() = default;
  virtual sys::Platform& platform() = 0;
  virtual uint32_t access() const = 0;
  // "Deleting <item>".
  virtual void ShowHint(const std::string& text) = 0;
};

// Goes through every record with items, in order, and removes its selected
// items; sets each record's cleaned count. Not stopped by the stop flag:
// a started removal runs to its end.
void RemoveEvidence(RemovalContext& c, const std::vector<TSearchEvidence*>& records);

}  // namespace vl::evidence
