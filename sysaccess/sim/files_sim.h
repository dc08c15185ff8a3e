// Simulated file system for native tests: drive letters mapped to host
// folders (always temporary ones), Windows path rules on top of them (either
// slash, names compared without regard to case, trailing blanks and dots of a
// name ignored), host symbolic links shown as reparse points, and the WOW64
// redirection of the system folder when the owning platform is a WOW64 one.
#pragma once
#include <sys/stat.h>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

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
  // The recycle bin: whether the drive has one (fixed drives only) and the
  // largest file it takes.
  bool hasRecycleBin = true;
  uint64_t recycleBinRoom = ~0ull;
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
  // Tests: called at each step of a removal with the path it is about:
  // "open" (before a checked removal opens the entry), "checked" (between
  // the check and the delete or move), "copied" (a move across drives,
  // between the copy and the delete), "held" (the entry held, before the
  // shell's call), and at the start of GetEntry, WalkFolder, MoveFileTo,
  // SetAttributes, RemoveFile and RemoveFolder under their own names. A
  // test swaps a folder for a link there, as a local user could.
  std::function<void(const std::string& step, const std::string& path)> onRemovalStep;
  // Tests: the next delete through a handle fails with this error (0: none).
  uint32_t failNextDelete = 0;
  // Tests: what a local user who owns `folder` can do to it: renames it to
  // `folder`.away and puts a link to the host folder `hostTarget` in its
  // place. kSharingViolation while a hold covers the folder, as Windows
  // refuses the rename of a folder opened without delete sharing.
  uint32_t SwapForLink(const std::string& folder, const std::string& hostTarget);
  // kSharingViolation when the entry at `path` (a Windows or host path) is
  // held without delete sharing (a rename or delete of it would be refused),
  // 0 otherwise.
  uint32_t HeldAgainstMove(const std::string& path);
  // Whether the drive of `path` has a recycle bin that takes a file of `size` bytes.
  bool RecycleBinTakes(const std::string& path, uint64_t size);
  // The host identity (inode) of the entry a hold holds, and of the entry
  // at `path` now (0: none): the simulated shell checks it moved the held one.
  uint64_t HeldIdentity(const EntryHold& hold);
  uint64_t IdentityOf(const std::string& path);
  // Tests: the largest file the drive's recycle bin takes from now on.
  void SetRecycleBinRoom(char letter, uint64_t room);

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
  uint32_t RemoveSeen(const std::string& path, const SeenEntry& seen) override;
  uint32_t MoveSeen(const std::string& from, const std::string& to, const SeenEntry& seen) override;
  uint32_t HoldSeen(const std::string& path, const SeenEntry& seen, bool shareDelete,
                    std::unique_ptr<EntryHold>& hold) override;
  std::string FullPath(const std::string& path) override;
  std::string CurrentFolder() override;
  bool SetCurrentFolder(const std::string& path) override;
  DriveKind DriveKindOf(const std::string& root) override;
  bool VolumeLabel(const std::string& root, std::string& label) override;
  bool DiskSpace(const std::string& root, uint64_t& total, uint64_t& totalFree) override;
  void SuppressCriticalErrorDialogs() override { criticalOff_ = true; }

 private:
  const SimDrive* Drive(char letter);
  struct Opened;
  // Opens the entry at `path` the way a handle with the reparse-point flag
  // would and checks it against `seen`: each folder on the way opened
  // without following links from the drive root, the entry itself never
  // followed. 0 or the error.
  uint32_t OpenSeen(const std::string& path, const SeenEntry& seen, Opened& out);
  void Step(const char* step, const std::string& path) {
    if (onRemovalStep) onRemovalStep(step, path);
  }
  class Hold;
  struct Held {
    std::string host;
    bool shareDelete = false;
  };
  std::vector<Held> held_;
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
  std::set<FileId> heldFiles_;  // host files a HeldFile holds
};

}  // namespace vl::sys
