// What an evidence scan finds: one record per scanned evidence type, one
// item per trace. Records live in the main window's shared scan result list;
// each scan worker fills only its own record, the removal worker writes the
// cleaned counts, the result, finish and export views read them.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "app/main_form.h"

namespace vl::evidence {

// Item kinds.
enum ItemKind : int16_t { kRegistryKey = 1, kRegistryValue = 2, kFile = 3, kFolder = 4, kBrowserRow = 5 };
// What the removal does with a registry value: delete it, or blank it
// (the value stays, as an empty REG_SZ).
enum ItemAction : int16_t { kDeleteItem = 1, kBlankValue = 2 };

// One trace.
struct TScanEvidence {
  // Registry items: the predefined root's handle value; Firefox history and
  // download rows: the row id; everything else 0.
  uint64_t key = 0;
  // Key path below the root; full path of a file or folder; a browser row's display text.
  std::string path;
  // Registry values: the exact name ("" is the unnamed value); Firefox rows
  // "visits" / "downloads"; cookie rows their id as decimal text.
  std::string name;
  // Value data as text, a size text, or a browser row's URL, target or cookie value.
  std::string value;
  int16_t kind = 0;
  int16_t action = kDeleteItem;
  bool selected = true;
  // Browser rows: the index of the record's source they were read from; -1
  // for everything else.
  int32_t source = -1;
};

// A browser database folder a scan read rows from. The removal works on
// exactly this folder, never on a profile looked up again: the profile
// list may have changed since the scan.
struct EvidenceSource {
  std::string folder;   // ends with "\"
  std::string label;    // the profile's name as the browser shows it
  std::string browser;  // named when it holds its files
  // The folder the profile was found from: nothing between it and `folder`
  // may be a link when the removal starts.
  std::string base;
};

// The result of one type.
struct TSearchEvidence : ScanRecord {
  TSearchEvidence(int32_t typeNo, std::string name) : typeNo(typeNo), name(std::move(name)) {}

  const int32_t typeNo;
  const std::string name;
  // Read by the progress list while the worker runs: single stores.
  std::atomic<int32_t> itemCount{0};
  std::atomic<int32_t> cleanedCount{0};
  std::vector<TScanEvidence> items;
  // The folders the items' rows came from (TScanEvidence::source).
  std::vector<EvidenceSource> sources;
  // Why the removal left this type alone (a browser that holds its files);
  // empty when it ran.
  std::string notCleaned;
  // Why the scan could not read all of this type (a browser that holds its
  // files): written by the type's worker, read after the scan ended; empty
  // when it read everything.
  std::string notScanned;
};

// Data of a type node of the tree.
struct TEvidence {
  int32_t no = 0;
  std::string name;
};

// "Internet Explorer", "Windows Software", "Windows System", "Internet
// Software" for groups 1 to 4; empty otherwise.
std::string GroupCaption(int group);
// Group caption of the type's hundreds digit, " - ", the type's name.
std::string RecordCaption(int32_t typeNo, const std::string& name);

// The detail list's layouts: the third column holds a size (files and
// folders), is hidden, or holds the value.
enum class DetailLayout { kSize, kHidden, kValue };
DetailLayout LayoutOf(int32_t typeNo);

// How an item is named in the detail list, progress lines and the report:
// short root + "\" + path for keys, with "\" + name for values (the unnamed
// value as "(Default)"); the path for everything else.
std::string ItemText(const TScanEvidence& item);
// ItemText with the profile a browser row came from, when the record read
// more than one profile: "[Profile 1] title".
std::string ItemTextIn(const TSearchEvidence& record, const TScanEvidence& item);

// Adds a source to the record (once) and returns its index.
int32_t AddSourceTo(std::vector<EvidenceSource>& sources, const EvidenceSource& source);

// The evidence records of the shared scan result list, in list order.
std::vector<TSearchEvidence*> EvidenceRecords(MainForm& m);

}  // namespace vl::evidence
