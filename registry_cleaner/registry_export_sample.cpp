// Writes a registry report of fixed sample records to the file named on the
// command line, so that scripts/check_report.sh can open it in a browser.
#include <cstdio>
#include <fstream>

#include "app/export_report.h"
#include "registry_cleaner/registry_export.h"
#include "registry_cleaner/scan_types.h"
#include "sysaccess/registry.h"

using namespace vl;
using namespace vl::registry;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s report.html\n", argv[0]);
    return 2;
  }
  std::vector<std::unique_ptr<ScanRecord>> records;
  auto add = [&records](int category, std::vector<TScanRegistry> problems) {
    auto rec = std::make_unique<TSearchRegistry>(static_cast<int16_t>(category));
    rec->count = static_cast<int32_t>(problems.size());
    rec->problems = std::move(problems);
    records.push_back(std::move(rec));
  };
  add(kActiveX, {{sys::kHKCR, "CLSID\\{0A1B2C3D-0000-4000-8000-000000000001}\\InprocServer32", "",
                  "C:\\Program Files\\Gone\\gone.dll", kInvalidPath, 0}});
  add(kEmptyKeys, {});
  add(kFileExtensions, {});
  add(kSharedDlls, {{sys::kHKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs",
                     "C:\\Old <beta> & \"test\"\\x.dll", "1", kInvalidPath, 0},
                    {sys::kHKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs",
                     "C:\\Programme\\Gr\xC3\xBC\xC3\x9F" "e\\\xE6\x97\xA5\xE6\x9C\xAC.dll", "2", kInvalidPath, 0},
                    {sys::kHKCU, "Software\\Vendor\\<script>alert(1)</script>", "", "", kEmptyKey, 0}});
  add(kShortcuts, {{sys::kHKU, "C:\\Users\\Public\\Desktop\\Caf\xC3\xA9.lnk", "", "", kInvalidPath, 0}});
  const std::string bytes = report::BuildReport(report::kRegistryExport.title, "20240305143009",
                                                sys::EnglishDateNames(), RegistryExportGroups(records));
  std::ofstream out(argv[1], std::ios::binary);
  out << bytes;
  return out.good() ? 0 : 1;
}
