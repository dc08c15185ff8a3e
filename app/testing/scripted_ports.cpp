// Test doubles for the window's ports.
#include "app/testing/scripted_ports.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace vl::testing {

MsgAnswer ScriptedPorts::ShowMessage(const std::string& text, const std::string& caption,
                                     MsgButtons buttons, MsgIcon icon) {
  messages.push_back({text, caption, buttons, icon});
  if (!answers.empty()) {
    MsgAnswer a = answers.front();
    answers.pop_front();
    return a;
  }
  return buttons == MsgButtons::YesNo ? MsgAnswer::Yes : MsgAnswer::Ok;
}

void ScriptedPorts::ShowWaitModal() {
  waitOpen = true;
  ++waitShown;
  // The modal loop: main-thread steps keep running until a step closes the window.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (waitOpen) {
    dispatcher_.PumpWait(50);
    if (std::chrono::steady_clock::now() > deadline)
      throw std::runtime_error("wait window never closed");
  }
}

std::string FolderFileSystem::NativePath(const std::string& path) {
  if (path.size() < 2 || path[1] != ':' || (path[0] & ~0x20) != (drive_ & ~0x20)) return {};
  std::string rest = path.substr(2);
  for (char& c : rest)
    if (c == '\\') c = '/';
  while (!rest.empty() && rest.front() == '/') rest.erase(0, 1);
  return (root_ / rest).string();
}

bool FolderFileSystem::FileExists(const std::string& path) {
  std::string p = NativePath(path);
  return !p.empty() && std::filesystem::is_regular_file(p);
}

bool FolderFileSystem::DirectoryExists(const std::string& path) {
  std::string p = NativePath(path);
  return !p.empty() && std::filesystem::is_directory(p);
}

bool FolderFileSystem::ReadFileBytes(const std::string& path, std::string& out) {
  std::ifstream in(NativePath(path), std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  out = s.str();
  return true;
}

bool FolderFileSystem::WriteFileBytes(const std::string& path, const std::string& data) {
  std::ofstream out(NativePath(path), std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out << data;
  return static_cast<bool>(out);
}

bool FolderFileSystem::CreateFolder(const std::string& path) {
  std::error_code ec;
  std::filesystem::create_directories(NativePath(path), ec);
  return DirectoryExists(path);
}

TempFolder::TempFolder() {
  static std::atomic<int> counter{0};
  std::random_device rd;
  path_ = std::filesystem::temp_directory_path() /
          ("vl_app_test_" + std::to_string(rd()) + "_" + std::to_string(counter++));
  std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

}  // namespace vl::testing
