// Simulated shell.
#include "sysaccess/shortcut.h"
#include "sysaccess/sim/shell_sim.h"
#include "sysaccess/version_info.h"


namespace vl::sys {

void SimShell::SetFolder(int csidl, const std::string& path) {
  std::lock_guard<std::mutex> lock(mu_);
  if (path.empty()) folders_.erase(csidl);
  else folders_[csidl] = path;
}

void SimShell::QueueBrowseAnswer(const std::string& folder) {
  std::lock_guard<std::mutex> lock(mu_);
  answers_.push_back(folder);
}

std::string SimShell::FolderByCsidl(int csidl) {
  std::lock_guard<std::mutex> lock(mu_);
  auto it = folders_.find(csidl);
  return it == folders_.end() ? std::string() : it->second;
}

bool SimShell::LoadShortcut(const std::string& path, TLinkInfo& info) {
  std::string bytes;
  return files_.ReadFileBytes(path, bytes) && ParseShortcutFile(bytes, info);
}

std::string SimShell::BrowseForFolder(const std::string& startFolder, const std::string& title) {
  std::lock_guard<std::mutex> lock(mu_);
  lastStart_ = startFolder;
  lastTitle_ = title;
  if (answers_.empty()) return "";
  std::string a = answers_.front();
  answers_.pop_front();
  return a;
}

std::string SimShell::FileVersion(const std::string& path) {
  std::string pe, block;
  if (!files_.ReadFileBytes(path, pe) || !ExtractVersionResource(pe, block)) return "";
  return FileVersionFromBlock(block);
}

void SimShell::ShowKeyInRegistryEditor(const std::string& keyText) {
  std::lock_guard<std::mutex> lock(mu_);
  shownKeys_.push_back(keyText);
}

}  // namespace vl::sys
