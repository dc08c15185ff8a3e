// The real file system through the wide kernel32 functions.
#pragma once
#include "sysaccess/files.h"

namespace vl::sys {

class Win32FileSystem : public FileSystem {
 public:
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
  void SuppressCriticalErrorDialogs() override;
  bool IsHostRoot(const std::string& root) override;
};

}  // namespace vl::sys
