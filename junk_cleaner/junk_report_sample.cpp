// Writes a junk report of generated files to the file named on the command
// line (optionally how many files: 100,000 by default), so that the report
// can be opened in a browser at the size a full drive gives.
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "app/export_report.h"
#include "junk_cleaner/junk_cleaner.h"
#include "sysaccess/system.h"

using namespace vl;
using namespace vl::junk;

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: %s report.html [files]\n", argv[0]);
    return 2;
  }
  const long files = argc == 3 ? std::strtol(argv[2], nullptr, 10) : 100000;
  std::vector<std::unique_ptr<ScanRecord>> records;
  auto c = std::make_unique<TSearchJunk>("System (C:)", "C:");
  for (long i = 0; i < files / 100 + 1; ++i)
    c->folders.push_back("C:\\Users\\someone\\AppData\\Local\\Temp\\build " + std::to_string(i) + "\\");
  for (long i = 0; i < files; ++i)
    c->files.push_back({"~wrl" + std::to_string(i) + ".tmp", static_cast<uint32_t>(i / 100),
                        static_cast<uint64_t>(i) * 1537, 0, 0});
  c->fileCount = static_cast<int32_t>(files);
  records.push_back(std::move(c));
  auto d = std::make_unique<TSearchJunk>("Data (D:)", "D:");
  d->folders.push_back("D:\\Caf\xC3\xA9 & <more>\\");
  d->files.push_back({"old.bak", 0, 5ull << 30, 0, 0});
  d->fileCount = 1;
  records.push_back(std::move(d));
  const std::string bytes =
      report::BuildReport(report::kJunkExport.title, "20240305143009", sys::EnglishDateNames(), JunkExportGroups(records));
  std::ofstream out(argv[1], std::ios::binary);
  out << bytes;
  return out.good() ? 0 : 1;
}
