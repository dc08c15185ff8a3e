// Captions and texts shared by the evidence views.
#include "evidence_cleaner/evidence_types.h"

#include "sysaccess/registry.h"

namespace vl::evidence {

std::string GroupCaption(int group) {
  switch (group) {
    case 1: return "Internet Explorer";
    case 2: return "Windows Software";
    case 3: return "Windows System";
    case 4: return "Internet Software";
    default: return "";
  }
}

std::string RecordCaption(int32_t typeNo, const std::string& name) {
  return GroupCaption(typeNo / 100) + " - " + name;
}

DetailLayout LayoutOf(int32_t typeNo) {
  switch (typeNo) {
    case 101: case 103: case 104: case 105: case 303:
    case 407: case 408: case 409: case 410: case 411: case 412: case 413:
      return DetailLayout::kSize;
    case 106: case 109: case 310: case 311: case 312: case 313: case 316: case 414:
      return DetailLayout::kHidden;
    default:
      return DetailLayout::kValue;
  }
}

std::string ItemText(const TScanEvidence& item) {
  const std::string root = sys::RootShortName(static_cast<sys::RegRoot>(item.key & 0xFFFFFFFFu));
  if (item.kind == kRegistryKey) return root + "\\" + item.path;
  if (item.kind == kRegistryValue) return root + "\\" + item.path + "\\" + sys::ShownValueName(item.name);
  return item.path;
}

std::vector<TSearchEvidence*> EvidenceRecords(MainForm& m) {
  std::vector<TSearchEvidence*> out;
  for (auto& r : m.scanResults)
    if (auto* e = dynamic_cast<TSearchEvidence*>(r.get())) out.push_back(e);
  return out;
}

}  // namespace vl::evidence
