// File system access used by every feature: one interface, a Win32 backend and
// a simulated one (drive letters mapped to host folders) for native tests.
// Paths are Windows paths in UTF-8 ("C:\\Dir\\file.txt") on both backends.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vl::sys {

// File attributes as Windows reports them.
constexpr uint32_t kAttrReadOnly = 0x1;
constexpr uint32_t kAttrHidden = 0x2;
constexpr uint32_t kAttrSystem = 0x4;
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrArchive = 0x20;
constexpr uint32_t kAttrNormal = 0x80;
// Junctions and symbolic links: never entered by walks and deletions.
constexpr uint32_t kAttrReparsePoint = 0x400;

// One directory entry. Times are FILETIME values (100 ns since 1601, UTC).
struct FileEntry {
  std::string name;
  uint32_t attributes = 0;
  uint64_t size = 0;
  uint64_t creationTime = 0;
  uint64_t lastAccessTime = 0;
  uint64_t lastWriteTime = 0;
  bool IsFolder() const { return (attributes & kAttrDirectory) != 0; }
  bool IsReparsePoint() const { return (attributes & kAttrReparsePoint) != 0; }
};

// Drive types as GetDriveType reports them.
enum class DriveKind : uint32_t {
  kUnknown = 0, kNoRootDir = 1, kRemovable = 2, kFixed = 3, kRemote = 4, kCdRom = 5, kRamDisk = 6
};

// What a scan saw of an entry. A removal takes the entry only while it is
// still that entry: at that very path (no link on the way, none as the
// entry itself unless `link` says it was one), of that kind, and for files
// with `checkSizeAndTime` of that size and last write time.
struct SeenEntry {
  bool folder = false;
  bool link = false;  // seen as a link: the link itself goes, never its target
  bool checkSizeAndTime = false;
  uint64_t size = 0;
  uint64_t lastWriteTime = 0;

  static SeenEntry File(uint64_t size, uint64_t lastWriteTime) {
    SeenEntry s;
    s.checkSizeAndTime = true;
    s.size = size;
    s.lastWriteTime = lastWriteTime;
    return s;
  }
  static SeenEntry Folder() {
    SeenEntry s;
    s.folder = true;
    return s;
  }
  // As a folder walk reported it (kind, link, and a file's size and time).
  static SeenEntry Of(const FileEntry& e) {
    SeenEntry s = e.IsFolder() ? Folder() : File(e.size, e.lastWriteTime);
    s.link = e.IsReparsePoint();
    s.checkSizeAndTime = !s.folder && !s.link;
    return s;
  }
};

// An entry and the folders on its way, opened and checked, held so that
// none of them can be renamed, removed or replaced by a link until the hold
// is destroyed.
class EntryHold {
 public:
  virtual ~EntryHold() = default;
};

// Called for each entry of a walked folder; false stops the walk.
using WalkVisitor = std::function<bool(const FileEntry&)>;

// A file this process made and holds open for writing. While it is open
// nobody can delete, rename, replace or write it (others may read it), so
// what goes in through it lands in the file it made.
class HeldFile {
 public:
  virtual ~HeldFile() = default;
  // Adds to the end, flushed to disk before returning; 0 or the system error.
  virtual uint32_t Append(const std::string& data) = 0;
  // Cuts the file back to `size` bytes, flushed (undoes a failed append).
  virtual uint32_t Truncate(uint64_t size) = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual bool FileExists(const std::string& path) = 0;
  virtual bool DirectoryExists(const std::string& path) = 0;
  // Whole file into `out`; false when it cannot be read.
  virtual bool ReadFileBytes(const std::string& path, std::string& out) = 0;
  // Creates or replaces the file, flushed to disk before returning; false on failure.
  virtual bool WriteFileBytes(const std::string& path, const std::string& data) = 0;
  // Adds to the end of the file (created when missing), flushed to disk
  // before returning; false on failure.
  virtual bool AppendFileBytes(const std::string& path, const std::string& data) = 0;
  // Creates the folder and its missing parents; true when it exists afterwards.
  virtual bool CreateFolder(const std::string& path) = 0;
  // The path a library that opens files by itself (SQLite) must be given.
  virtual std::string NativePath(const std::string& path) = 0;

  // Up to `count` bytes from `offset` (file opened shared for reading and
  // writing); false when the file cannot be opened or read.
  virtual bool ReadFilePart(const std::string& path, uint64_t offset, size_t count, std::string& out) = 0;
  // Every entry of the folder except "." and "..". Links are reported as
  // themselves (kAttrReparsePoint), not followed. False when the folder
  // cannot be listed.
  virtual bool ListFolder(const std::string& folder, std::vector<FileEntry>& entries) = 0;
  // Every entry of one folder except "." and "..", in the order the volume
  // gives them, handed to `visit` until it answers false. Links are reported
  // as themselves (kAttrReparsePoint) and never entered: the walk is one
  // level. 0, or the system error (an empty folder is no error).
  virtual uint32_t WalkFolder(const std::string& folder, const WalkVisitor& visit) = 0;
  // Moves a file (or a folder within its drive). Fails with kAlreadyExists
  // when `to` exists: the caller's collision rule picks free names. Across
  // drives the file is copied, flushed and then removed from `from`.
  virtual uint32_t MoveFileTo(const std::string& from, const std::string& to) = 0;
  // Copies a file with its attributes and last write time. Without
  // `overwrite` an existing `to` fails with kFileExists; a read-only `to` is
  // never overwritten (kAccessDenied).
  virtual uint32_t CopyFileTo(const std::string& from, const std::string& to, bool overwrite) = 0;
  // Replaces the whole content of `path` (created when missing) so that a
  // crash leaves either the old or the new content: the data goes to a
  // temporary file in the same folder, flushed, then renamed over `path`.
  // On failure `path` is untouched and the temporary file removed.
  virtual uint32_t ReplaceFileData(const std::string& path, const std::string& data) = 0;
  // Creates the file with `data`, flushed, only when nothing of that name
  // exists (kFileExists otherwise), so nothing is ever written into another
  // file. A write that fails removes the new file again.
  virtual uint32_t CreateNewFile(const std::string& path, const std::string& data) = 0;
  // As CreateNewFile, and the file stays open in `out` until that is freed.
  // Both backends hold files; a wrapper that does not forward this call
  // answers 50 (not supported), so nothing is written.
  virtual uint32_t CreateHeldFile(const std::string& path, const std::string& data,
                                  std::unique_ptr<HeldFile>* out) {
    (void)path, (void)data, (void)out;
    return 50;
  }
  // Cuts the file back to `size` bytes, flushed (undoes a failed append).
  virtual uint32_t TruncateFile(const std::string& path, uint64_t size) = 0;
  // The entry the path names (no wildcards), not following a final link.
  virtual bool GetEntry(const std::string& path, FileEntry& entry) = 0;
  // 0, or the system error (as the three calls below).
  virtual uint32_t SetAttributes(const std::string& path, uint32_t attributes) = 0;
  // Deletes a file, or a file link itself; a read-only file is refused.
  virtual uint32_t RemoveFile(const std::string& path) = 0;
  // Removes an empty folder, or a folder link (junction) itself.
  virtual uint32_t RemoveFolder(const std::string& path) = 0;
  // Removes a file, an empty folder or a link itself through one handle of
  // the entry: opened without following a final link, checked on that
  // handle against `seen` and against `path` (the place it really is, so a
  // folder on the way that became a link refuses: kStoppedOnSymlink; a
  // different size, time or kind: kFileChanged), then deleted through that
  // same handle. A read-only attribute is cleared through the handle for the
  // delete and set again when the delete fails.
  // (A file system that cannot check refuses: kNotSupported.)
  virtual uint32_t RemoveSeen(const std::string& path, const SeenEntry& seen) { return 50; }
  // Moves a file checked as RemoveSeen does, through its handle; never
  // replaces `to` (kAlreadyExists). Across drives the file is copied from
  // the checked file, flushed, and then deleted through the handle.
  virtual uint32_t MoveSeen(const std::string& from, const std::string& to, const SeenEntry& seen) { return 50; }
  // Checks the entry as RemoveSeen does and holds it and each folder on its
  // way (none can be renamed or removed meanwhile, so none can be swapped
  // for a link). `shareDelete` lets another caller move or delete the entry
  // itself while it is held.
  virtual uint32_t HoldSeen(const std::string& path, const SeenEntry& seen, bool shareDelete,
                            std::unique_ptr<EntryHold>& hold) {
    return 50;
  }
  // The path made absolute against the current folder.
  virtual std::string FullPath(const std::string& path) = 0;
  virtual std::string CurrentFolder() = 0;
  virtual bool SetCurrentFolder(const std::string& path) = 0;

  // Drives, by root ("C:\\").
  virtual DriveKind DriveKindOf(const std::string& root) = 0;
  virtual bool VolumeLabel(const std::string& root, std::string& label) = 0;
  virtual bool DiskSpace(const std::string& root, uint64_t& total, uint64_t& totalFree) = 0;
  // Switches off the system's critical-error dialogs for the rest of the run.
  virtual void SuppressCriticalErrorDialogs() = 0;
  // Whether the drive's root is the whole host file system (Wine's Z:,
  // which maps "/"): such a drive is never offered for cleaning. Only a
  // compatibility layer has one.
  virtual bool IsHostRoot(const std::string& root) { return false; }
};

}  // namespace vl::sys
