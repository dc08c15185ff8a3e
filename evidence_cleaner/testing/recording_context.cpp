// A collector's context for tests.
#include "evidence_cleaner/testing/recording_context.h"

namespace vl::evidence::testing {

void RecordingContext::AddItem(int16_t kind, int16_t action, uint64_t key, const std::string& path,
                               const std::string& name, const std::string& value) {
  TScanEvidence item;
  item.kind = kind;
  item.action = action;
  item.key = key;
  item.path = path;
  item.name = name;
  item.value = value;
  items.push_back(std::move(item));
}

std::vector<std::string> RecordingContext::Paths() const {
  std::vector<std::string> out;
  for (const TScanEvidence& i : items) out.push_back(i.kind == kRegistryValue ? i.path + "\\" + i.name : i.path);
  return out;
}

}  // namespace vl::evidence::testing
