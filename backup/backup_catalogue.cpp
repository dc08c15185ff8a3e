// Listing the backup folders.
#include "backup/backup_catalogue.h"

#include <algorithm>
#include <cstdio>

#include "app/timestamp_text.h"
#include "sysaccess/file_time.h"
#include "sysaccess/text.h"

namespace vl::backup {

namespace {

bool IsRegFile(const sys::FileEntry& e) {
  if (e.IsFolder() || e.IsReparsePoint()) return false;
  const std::string name = sys::AsciiLower(e.name);
  return name.size() > 4 && name.compare(name.size() - 4, 4, ".reg") == 0;
}

}  // namespace

std::string LocalTimestampOf(sys::System& system, uint64_t fileTime) {
  // The file system keeps UTC; the user reads the list against the local
  // clock, as the file names of the backups are.
  sys::DateTime t = sys::FileTimeToDateTime(system, fileTime, 1);
  if (!t.valid || t.year < 1 || t.year > 9999) return "";
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
  return buf;
}

std::vector<BackupEntry> ListBackups(sys::FileSystem& files, sys::System& system, const std::string& folder) {
  std::vector<sys::FileEntry> entries;
  if (!files.DirectoryExists(folder) || !files.ListFolder(folder, entries)) return {};
  struct Item {
    uint64_t seconds;
    std::string key;  // lower-case name: the order of equal seconds
    const sys::FileEntry* entry;
  };
  std::vector<Item> items;
  for (const sys::FileEntry& e : entries)
    if (IsRegFile(e)) items.push_back({e.lastWriteTime / 10000000ull, sys::AsciiLower(e.name), &e});
  // Newest first; within one second the larger name first.
  std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
    if (a.seconds != b.seconds) return a.seconds > b.seconds;
    return a.key > b.key;
  });
  const sys::DateNames names = system.UserDateNames();
  std::vector<BackupEntry> rows;
  rows.reserve(items.size());
  for (const Item& it : items)
    rows.push_back({TimestampText(LocalTimestampOf(system, it.entry->lastWriteTime), 2, names), it.entry->name});
  return rows;
}

}  // namespace vl::backup
