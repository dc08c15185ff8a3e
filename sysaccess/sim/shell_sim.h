// Simulated shell: special folders from a table, shortcuts read by the
// portable reader of the shortcut file format, version resources read from
// the PE file itself, a folder dialog whose answers the test scripts, and a
// recycle bin that is a folder of each drive: "X:\$Recycle.Bin\" holds the
// recycled files under their own names ("name (2).ext" when taken).
#pragma once
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "sysaccess/files.h"
#include "sysaccess/shell.h"

namespace vl::sys {

class SimShell : public Shell {
 public:
  explicit SimShell(FileSystem& files) : files_(files) {}

  // Folder of a CSIDL; an empty path removes it.
  void SetFolder(int csidl, const std::string& path);
  // The next answers of the folder dialog ("" is a cancel); with none
  // queued the dialog is cancelled.
  void QueueBrowseAnswer(const std::string& folder);
  std::string lastBrowseStart() const { return lastStart_; }
  std::string lastBrowseTitle() const { return lastTitle_; }

  std::string FolderByCsidl(int csidl) override;
  bool LoadShortcut(const std::string& path, TLinkInfo& info) override;
  std::string BrowseForFolder(const std::string& startFolder, const std::string& title) override;
  std::string FileVersion(const std::string& path) override;
  // Records the key; tests read it back.
  void ShowKeyInRegistryEditor(const std::string& keyText) override;
  // Moves the file into its drive's "$Recycle.Bin" folder and records it;
  // kCannotRecycle for a drive without a bin (not fixed, or SimDrive says
  // so) and for a file larger than the bin's room.
  uint32_t SendToRecycleBin(const std::string& path) override;
  uint32_t RecycleSeen(const std::string& path, const SeenEntry& seen) override;
  struct Recycled {
    std::string original;  // where the file was
    std::string inBin;     // where it is now
  };
  std::vector<Recycled> recycled() {
    std::lock_guard<std::mutex> lock(mu_);
    return recycled_;
  }
  std::vector<std::string> shownKeys() {
    std::lock_guard<std::mutex> lock(mu_);
    return shownKeys_;
  }

 private:
  FileSystem& files_;
  std::mutex mu_;
  std::map<int, std::string> folders_;
  std::deque<std::string> answers_;
  std::string lastStart_, lastTitle_;
  std::vector<std::string> shownKeys_;
  std::vector<Recycled> recycled_;
};

}  // namespace vl::sys
