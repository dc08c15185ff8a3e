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
    case 417: case 420: case 423: case 426: case 429: case 432: case 434: case 322:
      return DetailLayout::kSize;
    // Cookie rows carry no value to show.
    case 416: case 419: case 422: case 425: case 428: case 431:
    case 106: case 109: case 310: case 311: case 312: case 313: case 316: case 414:
    case 317: case 318: case 319:
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

std::string ItemTextIn(const TSearchEvidence& record, const TScanEvidence& item) {
  std::string text = ItemText(item);
  if (item.source < 0 || static_cast<size_t>(item.source) >= record.sources.size()) return text;
  // With one profile the name says nothing the user does not know.
  bool several = false;
  for (const EvidenceSource& s : record.sources)
    if (s.label != record.sources[static_cast<size_t>(item.source)].label) several = true;
  if (!several) return text;
  return "[" + record.sources[static_cast<size_t>(item.source)].label + "] " + text;
}

int32_t AddSourceTo(std::vector<EvidenceSource>& sources, const EvidenceSource& source) {
  for (size_t i = 0; i < sources.size(); ++i)
    if (sources[i].folder == source.folder) return static_cast<int32_t>(i);
  sources.push_back(source);
  return static_cast<int32_t>(sources.size() - 1);
}

std::vector<TSearchEvidence*> EvidenceRecords(MainForm& m) {
  std::vector<TSearchEvidence*> out;
  for (auto& r : m.scanResults)
    if (auto* e = dynamic_cast<TSearchEvidence*>(r.get())) out.push_back(e);
  return out;
}

}  // namespace vl::evidence
