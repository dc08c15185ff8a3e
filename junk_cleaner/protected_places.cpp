// Where the protected places are on this machine.
#include "junk_cleaner/protected_places.h"

#include <algorithm>

#include "sysaccess/registry.h"
#include "sysaccess/text.h"

namespace vl::junk {

namespace {

// Shell folder numbers.
constexpr int kCsidlLocalAppData = 0x1c;
constexpr int kCsidlInternetCache = 0x20;
constexpr int kCsidlCommonAppData = 0x23;
constexpr int kCsidlWindows = 0x24;
constexpr int kCsidlProgramFiles = 0x26;
constexpr int kCsidlProgramFilesX86 = 0x2a;
constexpr uint32_t kKeyRead = 0x20019;

const char* const kProfileList = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
const char* const kCurrentVersion = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

std::string WithSlash(std::string path) {
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path;
}

bool SameFolder(const std::string& a, const std::string& b) {
  return sys::AsciiLower(WithSlash(a)) == sys::AsciiLower(WithSlash(b));
}

// "%SystemDrive%\Users\Bob" with the variables of this process.
std::string Expand(sys::System& system, const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    const size_t end = text[i] == '%' ? text.find('%', i + 1) : std::string::npos;
    if (end == std::string::npos || end == i + 1) {
      out += text[i++];
      continue;
    }
    const std::string value = system.EnvironmentVariable(text.substr(i + 1, end - i - 1));
    if (value.empty()) {
      out += text.substr(i, end - i + 1);
    } else {
      out += value;
    }
    i = end + 1;
  }
  return out;
}

// A full local path ("C:\..."): anything else is never a protected place.
bool IsLocalPath(const std::string& path) {
  return path.size() >= 3 && path[1] == ':' && path[2] == '\\' &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

void AddFolder(std::vector<ProtectedFolder>& list, const std::string& path, std::vector<std::string> exceptions = {}) {
  if (!IsLocalPath(path)) return;
  for (const ProtectedFolder& f : list)
    if (SameFolder(f.folder, path)) return;
  list.push_back({WithSlash(path), std::move(exceptions)});
}

// Each user's Windows settings below the local application data, with the
// caches that are junk by nature still scanned.
ProtectedFolder UserWindowsFolder(const std::string& windowsFolder, const std::string& extraCache) {
  const std::string w = WithSlash(windowsFolder);
  ProtectedFolder f{w, {w + "INetCache\\", w + "Temporary Internet Files\\", w + "Explorer\\"}};
  if (!extraCache.empty()) {
    const std::string cache = WithSlash(extraCache);
    bool known = false;
    for (const std::string& e : f.exceptions) known = known || SameFolder(e, cache);
    if (!known) f.exceptions.push_back(cache);
  }
  return f;
}

}  // namespace

std::vector<DefaultPlace> DefaultPlaces(const sys::Platform& p) {
  std::vector<DefaultPlace> places;
  sys::Shell& shell = *p.shell;
  sys::Registry reg(*p.registry);
  const uint32_t read64 = kKeyRead | sys::kWow64Key64;

  {
    DefaultPlace d{"windows", "", "Windows keeps its setup and servicing logs, update databases and settings there; "
                                  "removing them can break Windows Update, repairs or the start of Windows.", {}};
    std::string windows = shell.FolderByCsidl(kCsidlWindows);
    if (windows.empty()) windows = p.system->EnvironmentVariable("SystemRoot");
    AddFolder(d.folders, windows, {WithSlash(windows) + "Temp\\"});
    places.push_back(std::move(d));
  }
  {
    // A 32-bit process on 64-bit Windows is told the x86 folder by the shell;
    // the registry's 64-bit view and ProgramW6432 name the other one.
    DefaultPlace d{"programfiles", "", "Applications keep their settings, backups and logs there; removing them can "
                                       "make programs lose their settings or stop working.", {}};
    AddFolder(d.folders, p.system->EnvironmentVariable("ProgramW6432"));
    AddFolder(d.folders, reg.ReadString(sys::kHKLM, kCurrentVersion, "ProgramFilesDir", read64));
    AddFolder(d.folders, shell.FolderByCsidl(kCsidlProgramFiles));
    places.push_back(std::move(d));
  }
  {
    DefaultPlace d{"programfilesx86", "", places.back().warning, {}};
    AddFolder(d.folders, shell.FolderByCsidl(kCsidlProgramFilesX86));
    AddFolder(d.folders, reg.ReadString(sys::kHKLM, kCurrentVersion, "ProgramFilesDir (x86)", read64));
    // Not a second entry for the one folder of 32-bit Windows.
    auto& first = places.back().folders;
    d.folders.erase(std::remove_if(d.folders.begin(), d.folders.end(),
                                   [&](const ProtectedFolder& f) {
                                     return std::any_of(first.begin(), first.end(), [&](const ProtectedFolder& g) {
                                       return SameFolder(f.folder, g.folder);
                                     });
                                   }),
                    d.folders.end());
    if (!d.folders.empty()) places.push_back(std::move(d));
  }
  {
    DefaultPlace d{"programdata", "", "Windows components (Search, Defender, updates) keep their databases and logs "
                                      "there; removing them can corrupt those databases.", {}};
    std::string data = shell.FolderByCsidl(kCsidlCommonAppData);
    if (!data.empty()) AddFolder(d.folders, WithSlash(data) + "Microsoft");
    places.push_back(std::move(d));
  }
  {
    DefaultPlace d{"appfolder", "", "Vantorel's own program, settings, logs and backups are there.", {}};
    AddFolder(d.folders, p.appDir);
    places.push_back(std::move(d));
  }
  {
    DefaultPlace d{"userwindows", "", "Windows keeps each user's settings, history, notifications and Start menu "
                                      "layout there; removing them can lose them.", {}};
    const std::string local = shell.FolderByCsidl(kCsidlLocalAppData);
    if (IsLocalPath(local))
      d.folders.push_back(UserWindowsFolder(WithSlash(local) + "Microsoft\\Windows", shell.FolderByCsidl(kCsidlInternetCache)));
    // Other users, from the list of profiles.
    std::vector<std::string> sids;
    reg.EnumSubKeys(sids, sys::kHKLM, kProfileList, read64);
    for (const std::string& sid : sids) {
      const std::string profile =
          Expand(*p.system, sys::Trim(reg.ReadString(sys::kHKLM, std::string(kProfileList) + "\\" + sid,
                                                     "ProfileImagePath", read64)));
      if (!IsLocalPath(profile)) continue;
      const std::string w = WithSlash(profile) + "AppData\\Local\\Microsoft\\Windows";
      bool known = false;
      for (const ProtectedFolder& f : d.folders) known = known || SameFolder(f.folder, w);
      if (!known) d.folders.push_back(UserWindowsFolder(w, ""));
    }
    places.push_back(std::move(d));
  }
  for (DefaultPlace& d : places) {
    if (d.folders.empty()) continue;
    d.caption = d.folders.front().folder;
    if (d.key == "userwindows")
      d.caption = "AppData\\Local\\Microsoft\\Windows\\ of " + std::to_string(d.folders.size()) + " user(s)";
    else if (d.folders.size() > 1)
      d.caption += " (" + std::to_string(d.folders.size()) + " folders)";
  }
  return places;
}

void ProtectedFolders::Key(const std::string& folder, std::string& out) {
  out.assign(folder);
  while (!out.empty() && out.back() == '\\') out.pop_back();
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
}

void ProtectedFolders::Add(const ProtectedFolder& f) {
  std::string key;
  Key(f.folder, key);
  if (key.empty()) return;
  auto it = map_.find(key);
  if (it == map_.end()) {
    map_.emplace(std::move(key), f.exceptions);
    return;
  }
  // Protected twice: only what both leave open stays scanned.
  std::vector<std::string>& kept = it->second;
  kept.erase(std::remove_if(kept.begin(), kept.end(),
                            [&](const std::string& e) {
                              return std::none_of(f.exceptions.begin(), f.exceptions.end(),
                                                  [&](const std::string& x) { return SameFolder(x, e); });
                            }),
             kept.end());
}

const std::vector<std::string>* ProtectedFolders::Find(const std::string& folder) const {
  if (map_.empty()) return nullptr;
  Key(folder, key_);
  auto it = map_.find(key_);
  return it == map_.end() ? nullptr : &it->second;
}

}  // namespace vl::junk
