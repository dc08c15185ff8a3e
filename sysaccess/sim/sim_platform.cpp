// Assembly of the simulated machine.
#include "sysaccess/sim/sim_platform.h"

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>

#include "sysaccess/reg_file.h"

namespace vl::sys {

namespace {
const char* const kUser = "C:\\Users\\Tester\\";
const char* const kRoaming = "C:\\Users\\Tester\\AppData\\Roaming\\";
const char* const kLocal = "C:\\Users\\Tester\\AppData\\Local\\";
const char* const kCommonMenu = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu";
}  // namespace

SimPlatform::SimPlatform() {
  const char* tmp = getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vl-sim-XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
  hostRoot_ = pattern;
  std::filesystem::create_directories(hostRoot_ + "/C");

  registry_ = std::make_unique<SimRegistry>();
  files_ = std::make_unique<SimFileSystem>();
  shell_ = std::make_unique<SimShell>(*files_);
  system_ = std::make_unique<SimSystem>(*registry_, *files_);
  security_ = std::make_unique<SimSecurity>(*files_);
  processes_ = std::make_unique<SimProcesses>(*files_);
  http_ = std::make_unique<CurlHttpClient>(*files_);
  SimDrive c;
  c.hostRoot = hostRoot_ + "/C";
  c.label = "System";
  files_->MapDrive('C', c);
  SimSystem* sys = system_.get();
  files_->SetRedirection([sys] { return sys->RedirectionActive(); }, "C:\\Windows");

  std::string menu = std::string(kRoaming) + "Microsoft\\Windows\\Start Menu";
  const std::pair<int, std::string> folders[] = {
      {0, std::string(kUser) + "Desktop"},
      {2, menu + "\\Programs"},
      {5, std::string(kUser) + "Documents"},
      {6, std::string(kUser) + "Favorites"},
      {7, menu + "\\Programs\\Startup"},
      {8, std::string(kRoaming) + "Microsoft\\Windows\\Recent"},
      {9, std::string(kRoaming) + "Microsoft\\Windows\\SendTo"},
      {11, menu},
      {16, std::string(kUser) + "Desktop"},
      {19, std::string(kRoaming) + "Microsoft\\Windows\\Network Shortcuts"},
      {20, "C:\\Windows\\Fonts"},
      {21, std::string(kRoaming) + "Microsoft\\Windows\\Templates"},
      {22, kCommonMenu},
      {23, std::string(kCommonMenu) + "\\Programs"},
      {24, std::string(kCommonMenu) + "\\Programs\\Startup"},
      {25, "C:\\Users\\Public\\Desktop"},
      {26, std::string(kRoaming).substr(0, std::string(kRoaming).size() - 1)},
      {27, std::string(kRoaming) + "Microsoft\\Windows\\Printer Shortcuts"},
      {28, std::string(kLocal).substr(0, std::string(kLocal).size() - 1)},
      {31, std::string(kUser) + "Favorites"},
      {32, std::string(kLocal) + "Microsoft\\Windows\\Temporary Internet Files"},
      {33, std::string(kRoaming) + "Microsoft\\Windows\\Cookies"},
      {34, std::string(kLocal) + "Microsoft\\Windows\\History"},
      {35, "C:\\ProgramData"},
      {36, "C:\\Windows"},
      {37, "C:\\Windows\\System32"},
      {38, "C:\\Program Files"},
      {40, std::string(kUser).substr(0, std::string(kUser).size() - 1)},
      {43, "C:\\Program Files\\Common Files"},
  };
  for (const auto& [csidl, path] : folders) {
    shell_->SetFolder(csidl, path);
    files_->CreateFolder(path);
  }
  files_->CreateFolder("C:\\Windows\\SysWOW64");
  // A few of the system's own programs, in both system folders.
  for (const char* prog : {"rundll32.exe", "svchost.exe", "regedit.exe", "notepad.exe"}) {
    files_->WriteFileBytes(std::string("C:\\Windows\\SysWOW64\\") + prog, "MZ");
    files_->WriteFileBytes(std::string("C:\\Windows\\System32\\") + prog, "MZ");
  }
  files_->WriteFileBytes("C:\\Windows\\regedit.exe", "MZ");
  files_->WriteFileBytes("C:\\Windows\\notepad.exe", "MZ");
  files_->CreateFolder(std::string(kLocal) + "Temp");
  files_->CreateFolder("C:\\Program Files\\Vantorel");

  const std::pair<const char*, std::string> env[] = {
      {"SystemRoot", "C:\\Windows"},
      {"windir", "C:\\Windows"},
      {"SystemDrive", "C:"},
      {"ProgramFiles", "C:\\Program Files"},
      {"CommonProgramFiles", "C:\\Program Files\\Common Files"},
      {"ProgramData", "C:\\ProgramData"},
      {"USERPROFILE", "C:\\Users\\Tester"},
      {"APPDATA", std::string(kRoaming).substr(0, std::string(kRoaming).size() - 1)},
      {"LOCALAPPDATA", std::string(kLocal).substr(0, std::string(kLocal).size() - 1)},
      {"TEMP", std::string(kLocal) + "Temp"},
      {"TMP", std::string(kLocal) + "Temp"},
  };
  for (const auto& [name, value] : env) system_->SetEnvironmentVariable(name, value);

  platform_.files = files_.get();
  platform_.registry = registry_.get();
  platform_.shell = shell_.get();
  platform_.system = system_.get();
  platform_.processes = processes_.get();
  platform_.http = http_.get();
  platform_.security = security_.get();
  platform_.appDir = "C:\\Program Files\\Vantorel\\";
}

SimPlatform::~SimPlatform() {
  std::error_code ec;
  // Read-only entries left by a test must not keep the folder alive.
  for (auto it = std::filesystem::recursive_directory_iterator(hostRoot_, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    if (!it->is_symlink(ec))
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ec);
  }
  std::filesystem::remove_all(hostRoot_, ec);
}

void SimPlatform::SetWow64(bool on) {
  system_->SetWow64(on);
  registry_->SetWow64(on);
  registry_->SetWindows64(on);
}

void SimPlatform::Set64BitProcess() {
  SetWow64(false);
  system_->Set64BitProcess(true);
  registry_->SetWindows64(true);
}

void SimPlatform::MapDrive(char letter, SimDrive drive) {
  if (drive.hostRoot.empty()) {
    drive.hostRoot = hostRoot_ + "/" + std::string(1, letter);
    std::filesystem::create_directories(drive.hostRoot);
  }
  files_->MapDrive(letter, drive);
}

bool SimPlatform::LoadReg(const std::string& regText) {
  RegFileContent content;
  if (!ParseRegFile(regText, &content)) return false;
  return ApplyRegFile(*registry_, content, kMaskAll64) == 0 && content.errors.empty();
}

}  // namespace vl::sys
