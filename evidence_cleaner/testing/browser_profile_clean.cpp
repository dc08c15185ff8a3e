// Scans and cleans browser profiles that real browsers made, with the
// evidence cleaner's own collectors and removal, on the simulated machine
// whose drive C: is a folder the caller prepared (scripts/browser_check.sh).
// Prints one line per finding, so that the script can check the outcome
// against the browsers' files afterwards:
//   found <type> <items>            scanerror <type> <text>
//   item <type> <path> | <name> | <value>   (unticked items say "kept")
//   cleaned <type> <count>          notcleaned <type> <text>
// Usage: vl_browser_profile_clean DRIVE_C_FOLDER [--keep TEXT]... [--wait] [--report FILE] TYPE...
//   --keep TEXT    unticks the items whose path or value holds TEXT
//   --wait         reads one line from stdin between the scan and the removal
//   --report FILE  writes the evidence report of the scan's result to FILE
#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/export_report.h"
#include "evidence_cleaner/catalogue.h"
#include "evidence_cleaner/evidence_cleaner.h"
#include "evidence_cleaner/removal.h"
#include "evidence_cleaner/testing/recording_context.h"
#include "store/seed_data.h"
#include "sysaccess/sim/sim_platform.h"

namespace {

using vl::evidence::TScanEvidence;
using vl::evidence::TSearchEvidence;
using vl::evidence::testing::RecordingContext;

// Keeps a line of output on one line whatever a browser stored.
std::string OneLine(std::string s) {
  for (char& ch : s)
    if (ch == '\n' || ch == '\r') ch = ' ';
  return s;
}

// The type's caption in the evidence tree.
std::string TypeName(int type) {
  for (const vl::store::EvidenceSeed& seed : vl::store::kEvidenceSeeds)
    if (seed.no == type) return seed.name;
  for (const vl::store::EvidenceSeed& seed : vl::store::kAddedEvidenceTypes)
    if (seed.no == type) return seed.name;
  return "Type " + std::to_string(type);
}

int Usage() {
  std::cerr << "usage: vl_browser_profile_clean DRIVE_C_FOLDER [--keep TEXT]... [--wait] [--report FILE] TYPE...\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string drive = argv[1];
  std::vector<std::string> keep;
  std::vector<int> types;
  bool wait = false;
  std::string report;
  for (int i = 2; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--keep" && i + 1 < argc) {
      keep.push_back(argv[++i]);
    } else if (a == "--report" && i + 1 < argc) {
      report = argv[++i];
    } else if (a == "--wait") {
      wait = true;
    } else {
      try {
        types.push_back(std::stoi(a));
      } catch (const std::exception&) {
        return Usage();
      }
      if (!vl::evidence::KnownType(types.back())) {
        std::cerr << "unknown type " << a << "\n";
        return 2;
      }
    }
  }
  if (types.empty()) return Usage();

  vl::sys::SimPlatform sim;
  vl::sys::SimDrive c;
  c.hostRoot = drive;
  c.label = "System";
  sim.MapDrive('C', c);

  std::vector<std::unique_ptr<TSearchEvidence>> records;
  std::vector<TSearchEvidence*> list;
  for (int type : types) {
    RecordingContext ctx(sim.platform(), type);
    try {
      vl::evidence::CollectType(ctx);
    } catch (const std::exception& e) {
      std::cout << "scanerror " << type << " " << OneLine(e.what()) << "\n";
    }
    auto record = std::make_unique<TSearchEvidence>(type, TypeName(type));
    ctx.MoveInto(*record);
    std::cout << "found " << type << " " << record->items.size() << "\n";
    for (TScanEvidence& item : record->items) {
      for (const std::string& k : keep)
        if (item.path.find(k) != std::string::npos || item.value.find(k) != std::string::npos) item.selected = false;
      std::cout << "item " << type << " " << OneLine(vl::evidence::ItemTextIn(*record, item)) << " | " << OneLine(item.name) << " | "
                << OneLine(item.value) << (item.selected ? "" : " kept") << "\n";
    }
    list.push_back(record.get());
    records.push_back(std::move(record));
  }
  std::cout.flush();

  if (!report.empty()) {
    const std::string bytes = vl::report::BuildReport(vl::report::kEvidenceExport.title, "20261209235900",
                                                      sim.system().UserDateNames(),
                                                      vl::evidence::EvidenceExportGroups(list));
    std::ofstream out(report, std::ios::binary);
    out << bytes;
    if (!out.good()) {
      std::cerr << "cannot write " << report << "\n";
      return 1;
    }
  }

  if (wait) {
    std::string line;
    std::getline(std::cin, line);
  }

  RecordingContext removal(sim.platform(), 0);
  vl::evidence::RemoveEvidence(removal, list);
  for (const TSearchEvidence* r : list) {
    std::cout << "cleaned " << r->typeNo << " " << r->cleanedCount.load() << "\n";
    if (!r->notCleaned.empty()) std::cout << "notcleaned " << r->typeNo << " " << OneLine(r->notCleaned) << "\n";
  }
  return 0;
}
