// What a junk scan finds: one group per selected drive, one record per file.
// Groups live in the main window's shared scan result list; the worker fills
// them, the result, finish and export views read them after the job.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "app/main_form.h"

namespace vl::junk {

// One file found. Folders are shared by index (most junk sits in a few
// folders), which keeps a found file well under 100 bytes.
struct TScanResultBye {
  std::string name;        // without folder
  uint32_t folder = 0;     // index into the group's folders
  uint64_t size = 0;       // the whole 64-bit size
  uint64_t lastWriteTime = 0;  // FILETIME as the directory entry gives it
  uint64_t creationTime = 0;
  uint16_t mask = 0;   // index into the group's masks: the one that matched
  bool ticked = true;  // left ticked in the file list: only ticked files are removed
};

// A file a clean left alone, and why.
struct TJunkFailure {
  uint32_t file = 0;   // index into the group's files
  std::string reason;  // "<path> cannot be moved to the Recycle Bin" ...
};

// Group states, in the order a scan and a clean pass them.
enum JunkState : int16_t { kWaiting = 0, kScanning = 1, kScanned = 2, kCleaning = 3, kFinished = 4 };

struct TSearchJunk : ScanRecord {
  TSearchJunk(std::string caption, std::string drive) : caption(std::move(caption)), drive(std::move(drive)) {}

  const std::string caption;  // as the drive list shows it: "System (C:)"
  const std::string drive;    // "C:"
  int32_t fileCount = 0;
  int32_t failedCount = 0;
  uint64_t foundBytes = 0;
  uint64_t removedBytes = 0;
  // Read by the progress list while the worker runs: a single store.
  std::atomic<int16_t> state{kWaiting};
  std::vector<TScanResultBye> files;
  // Folders ending with "\", referred to by TScanResultBye::folder.
  std::vector<std::string> folders;
  // The scan's masks, referred to by TScanResultBye::mask.
  std::vector<std::string> masks;
  // Files the user unticked and their sizes (the totals show what is ticked).
  int32_t untickedCount = 0;
  uint64_t untickedBytes = 0;

  int32_t TickedCount() const { return fileCount - untickedCount; }
  uint64_t TickedBytes() const { return foundBytes - untickedBytes; }
  // Ticks or unticks one file, keeping the totals.
  void SetTicked(size_t index, bool on) {
    TScanResultBye& f = files[index];
    if (f.ticked == on) return;
    f.ticked = on;
    untickedCount += on ? -1 : 1;
    untickedBytes = on ? untickedBytes - f.size : untickedBytes + f.size;
  }
  const std::string& MaskOf(const TScanResultBye& f) const {
    static const std::string none;
    return f.mask < masks.size() ? masks[f.mask] : none;
  }
  // The files the last clean left alone, with the reason (written by the
  // clean's worker, read after it).
  std::vector<TJunkFailure> failures;

  const std::string& FolderOf(const TScanResultBye& f) const { return folders[f.folder]; }
  std::string PathOf(const TScanResultBye& f) const { return folders[f.folder] + f.name; }
};

// The junk groups of the shared scan result list, in list order.
std::vector<TSearchJunk*> JunkGroups(MainForm& m);

}  // namespace vl::junk
