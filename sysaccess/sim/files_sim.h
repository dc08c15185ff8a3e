// Simulated file system for native tests: drive letters mapped to host
// folders (always temporary ones), Windows path rules on top of them (either
// slash, names compared without regard to case, trailing blanks and dots of a
// name ignored), host symbolic links shown as reparse points, and the WOW64
// redirection of the system folder when the owning platform is a WOW64 one.
#pragma once
#include <sys/stat.h>

#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>

#include "sysaccess/files.h"

namespace vl::sys {

struct SimDrive {
  std::string hostRoot;  // host folder the drive's root is
  DriveKind kind = DriveKind::kFixed;
  std::string label;
  bool labelFails = false;
  bool spaceFails = false;
  // Sizes reported; zero total means "as the host folder's file system says".
  uint64_t total = 0;
  uint64_t free = 0;
};

class SimFileSystem : public FileSystem {
 public:
  void MapDrive(char letter, const SimDrive& drive);
  // True while the calling thread's paths to the system folder go to SysWOW64.
  void SetRedirection(std::function<bool()> active, std::string windowsFolder);
  // Host path of a Windows path; empty when no drive maps it.
  std::string HostPath(const std::string& path);
  bool criticalErrorsSuppressed() const { return criticalOff_; }
  // Tests: the next append writes only this many bytes and fails (a full
  // disk in mid-write); negative for none.
  long long appendFailsAfter = -1;

  bool FileExists(const std::string& path) override;
  bool DirectoryExists(const std::string& path) override;
  bool ReadFileBytes(const std::string& path, std::string& out) override;
  bool WriteFileBytes(const std::string& path, const std::string& data) override;
  bool AppendFileBytes(const std::string& path, const std::string& data) override;
  bool CreateFolder(const std::string& path) override;
  std::string NativePath(const std::string& path) override;
  bool ReadFilePart(const std::string& path, uint64_t offset, size_t count, std::string& out) override;
  bool ListFolder(const std::string& folder, std::vector<FileEntry>& entries) override;
  uint32_t WalkFolder(const std::string& folder, const WalkVisitor& visit) override;
  uint32_t MoveFileTo(const std::string& from, const std::string& to) override;
  uint32_t CopyFileTo(const std::string& from, const std::string& to, bool overwrite) override;
  uint32_t ReplaceFileData(const std::string& path, const std::string& data) override;
  uint32_t CreateNewFile(const std::string& path, const std::string& data) override;
  uint32_t CreateHeldFile(const std::string& path, const std::string& data, std::unique_ptr<HeldFile>* out) override;
  // A held file: device and inode of its host file.
  using FileId = std::pair<dev_t, ino_t>;
  void Release(FileId id);
  uint32_t TruncateFile(const std::string& path, uint64_t size) override;
  bool GetEntry(const std::string& path, FileEntry& entry) override;
  uint32_t SetAttributes(const std::string& path, uint32_t attributes) override;
  uint32_t RemoveFile(const std::string& path) override;
  uint32_t RemoveFolder(const std::string& path) override;
  std::string FullPath(const std::string& path) override;
  std::string CurrentFolder() override;
  bool SetCurrentFolder(const std::string& path) override;
  DriveKind DriveKindOf(const std::string& root) override;
  bool VolumeLabel(const std::string& root, std::string& label) override;
  bool DiskSpace(const std::string& root, uint64_t& total, uint64_t& totalFree) override;
  void SuppressCriticalErrorDialogs() override { criticalOff_ = true; }

 private:
  const SimDrive* Drive(char letter);
  bool EntryOfHost(const std::string& host, const std::string& name, FileEntry& entry);
  // An entry from what lstat gave (`linkToFolder`: a link whose target is a folder).
  static void FillEntry(const struct stat& st, bool linkToFolder, const std::string& name, FileEntry& entry);
  // The error Windows gives for a path that does not exist: kFileNotFound
  // when its folder exists, kPathNotFound otherwise.
  uint32_t MissingError(const std::string& host);
  // True while a HeldFile holds the host file.
  bool IsHeld(const std::string& host);

  std::mutex mu_;
  std::map<char, SimDrive> drives_;
  std::string current_ = "C:\\";
  std::function<bool()> redirect_;
  std::string windows_;
  bool criticalOff_ = false;
  std::set<FileId> held_;
};

}  // namespace vl::sys
