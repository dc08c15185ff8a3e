// Test doubles for the window's ports: message boxes answered from a script
// and recorded; a wait window that pumps the test dispatcher until closed;
// a host-folder file system for the application directory.
#pragma once
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "app/dispatcher.h"
#include "app/ports.h"
#include "sysaccess/files.h"

namespace vl::testing {

struct ShownMessage {
  std::string text, caption;
  MsgButtons buttons;
  MsgIcon icon;
};

class ScriptedPorts : public UiPorts {
 public:
  explicit ScriptedPorts(ManualDispatcher& dispatcher) : dispatcher_(dispatcher) {}
  MsgAnswer ShowMessage(const std::string& text, const std::string& caption, MsgButtons buttons,
                        MsgIcon icon) override;
  void ShowWaitModal() override;
  void CloseWait() override { waitOpen = false; }
  void HideMainWindow() override { mainVisible = false; }
  void ShowMainWindow() override { mainVisible = true; }
  void CloseMainWindow() override { closeRequests++; }

  std::vector<ShownMessage> messages;
  std::deque<MsgAnswer> answers;  // next answers; Ok/Yes when empty
  bool waitOpen = false;
  int waitShown = 0;
  bool mainVisible = true;
  int closeRequests = 0;

 private:
  ManualDispatcher& dispatcher_;
};

// Windows paths "X:\..." of one drive letter mapped onto a host folder.
class FolderFileSystem : public sys::FileSystem {
 public:
  FolderFileSystem(char drive, std::filesystem::path root) : drive_(drive), root_(std::move(root)) {}
  bool FileExists(const std::string& path) override;
  bool DirectoryExists(const std::string& path) override;
  bool ReadFileBytes(const std::string& path, std::string& out) override;
  bool WriteFileBytes(const std::string& path, const std::string& data) override;
  bool CreateFolder(const std::string& path) override;
  std::string NativePath(const std::string& path) override;
  // Not needed by the window tests: they report failure.
  bool ReadFilePart(const std::string&, uint64_t, size_t, std::string&) override { return false; }
  bool ListFolder(const std::string&, std::vector<sys::FileEntry>&) override { return false; }
  bool GetEntry(const std::string&, sys::FileEntry&) override { return false; }
  bool SetAttributes(const std::string&, uint32_t) override { return false; }
  bool RemoveFile(const std::string&) override { return false; }
  bool RemoveFolder(const std::string&) override { return false; }
  std::string FullPath(const std::string& path) override { return path; }
  std::string CurrentFolder() override { return std::string(1, drive_) + ":\\"; }
  bool SetCurrentFolder(const std::string&) override { return false; }
  sys::DriveKind DriveKindOf(const std::string&) override { return sys::DriveKind::kFixed; }
  bool VolumeLabel(const std::string&, std::string&) override { return false; }
  bool DiskSpace(const std::string&, uint64_t&, uint64_t&) override { return false; }
  void SuppressCriticalErrorDialogs() override {}

 private:
  char drive_;
  std::filesystem::path root_;
};

// A fresh temporary folder, removed with the object.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace vl::testing
