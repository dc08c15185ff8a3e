// Simulated file system on host folders.
#include "sysaccess/sim/files_sim.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <fstream>

#include "sysaccess/text.h"

namespace vl::sys {

namespace {

uint64_t ToFileTime(const struct timespec& ts) {
  return static_cast<uint64_t>(ts.tv_sec + 11644473600LL) * 10000000ull + ts.tv_nsec / 100;
}

std::vector<std::string> Components(const std::string& rest) {
  std::vector<std::string> parts;
  std::string cur;
  for (char c : rest + "\\") {
    if (c == '\\') {
      // Windows ignores trailing blanks and dots of a name.
      if (cur != "." && cur != "..")
        while (!cur.empty() && (cur.back() == ' ' || cur.back() == '.')) cur.pop_back();
      if (cur == "..") {
        if (!parts.empty()) parts.pop_back();
      } else if (!cur.empty() && cur != ".") {
        parts.push_back(cur);
      }
      cur.clear();
    } else {
      cur.push_back(c);
    }
  }
  return parts;
}

}  // namespace

void SimFileSystem::MapDrive(char letter, const SimDrive& drive) {
  std::lock_guard<std::mutex> lock(mu_);
  drives_[static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))] = drive;
}

void SimFileSystem::SetRedirection(std::function<bool()> active, std::string windowsFolder) {
  redirect_ = std::move(active);
  windows_ = std::move(windowsFolder);
}

const SimDrive* SimFileSystem::Drive(char letter) {
  std::lock_guard<std::mutex> lock(mu_);
  auto it = drives_.find(static_cast<char>(std::toupper(static_cast<unsigned char>(letter))));
  return it == drives_.end() ? nullptr : &it->second;
}

std::string SimFileSystem::FullPath(const std::string& path) {
  std::string p = path;
  for (char& c : p) if (c == '/') c = '\\';
  if (p.empty()) return "";
  std::string cur = CurrentFolder();
  std::string drive, rest;
  if (p.size() >= 2 && p[1] == ':' && std::isalpha(static_cast<unsigned char>(p[0]))) {
    drive = std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(p[0])))) + ":";
    rest = p.substr(2);
    if (rest.empty() || rest[0] != '\\') rest = "\\" + rest;  // "C:x" taken as from the root
  } else if (p[0] == '\\') {
    if (p.size() > 1 && p[1] == '\\') return "";  // network paths are not simulated
    drive = cur.substr(0, 2);
    rest = p;
  } else {
    drive = cur.substr(0, 2);
    rest = cur.substr(2) + "\\" + p;
  }
  std::string out = drive;
  for (const auto& c : Components(rest)) out += "\\" + c;
  if (out.size() == 2) out += "\\";
  return out;
}

std::string SimFileSystem::HostPath(const std::string& path) {
  std::string full = FullPath(path);
  if (full.size() < 3) return "";
  if (redirect_ && !windows_.empty() && redirect_()) {
    std::string sys = windows_ + "\\System32";
    if (full.size() >= sys.size() && EqualsNoCase(full.substr(0, sys.size()), sys) &&
        (full.size() == sys.size() || full[sys.size()] == '\\'))
      full = windows_ + "\\SysWOW64" + full.substr(sys.size());
  }
  const SimDrive* d = Drive(full[0]);
  if (!d) return "";
  std::string host = d->hostRoot;
  // Each name is matched without regard to case against what the host holds.
  for (const auto& comp : Components(full.substr(2))) {
    std::string exact = host + "/" + comp;
    struct stat st;
    if (lstat(exact.c_str(), &st) == 0) {
      host = exact;
      continue;
    }
    std::string match;
    if (DIR* dir = opendir(host.c_str())) {
      while (dirent* e = readdir(dir)) {
        if (EqualsNoCase(e->d_name, comp)) {
          match = e->d_name;
          break;
        }
      }
      closedir(dir);
    }
    host += "/" + (match.empty() ? comp : match);
  }
  return host;
}

bool SimFileSystem::FileExists(const std::string& path) {
  struct stat st;
  std::string h = HostPath(path);
  return !h.empty() && stat(h.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool SimFileSystem::DirectoryExists(const std::string& path) {
  struct stat st;
  std::string h = HostPath(path);
  return !h.empty() && stat(h.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool SimFileSystem::ReadFileBytes(const std::string& path, std::string& out) {
  std::string h = HostPath(path);
  struct stat st;
  if (h.empty() || stat(h.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  std::ifstream in(h, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

namespace {
// Writes all of `data` to a host file opened with `flags`, then flushes it.
bool WriteHostFile(const std::string& hostPath, int flags, const std::string& data) {
  if (hostPath.empty()) return false;
  int fd = open(hostPath.c_str(), O_WRONLY | O_CREAT | flags, 0644);
  if (fd < 0) return false;
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = write(fd, data.data() + done, data.size() - done);
    if (n <= 0) {
      close(fd);
      return false;
    }
    done += static_cast<size_t>(n);
  }
  bool ok = fsync(fd) == 0;
  return close(fd) == 0 && ok;
}
}  // namespace

bool SimFileSystem::WriteFileBytes(const std::string& path, const std::string& data) {
  if (IsHeld(HostPath(path))) return false;
  return WriteHostFile(HostPath(path), O_TRUNC, data);
}

bool SimFileSystem::AppendFileBytes(const std::string& path, const std::string& data) {
  if (IsHeld(HostPath(path))) return false;
  if (appendFailsAfter >= 0) {
    const size_t part = std::min<size_t>(static_cast<size_t>(appendFailsAfter), data.size());
    appendFailsAfter = -1;
    WriteHostFile(HostPath(path), O_APPEND, data.substr(0, part));
    return false;
  }
  return WriteHostFile(HostPath(path), O_APPEND, data);
}

bool SimFileSystem::CreateFolder(const std::string& path) {
  std::string full = FullPath(path);
  if (full.size() < 3) return false;
  std::string cur = full.substr(0, 2);
  for (const auto& c : Components(full.substr(2))) {
    cur += "\\" + c;
    if (!DirectoryExists(cur)) {
      std::string h = HostPath(cur);
      if (h.empty() || mkdir(h.c_str(), 0755) != 0) return false;
    }
  }
  return DirectoryExists(full);
}

std::string SimFileSystem::NativePath(const std::string& path) { return HostPath(path); }

bool SimFileSystem::ReadFilePart(const std::string& path, uint64_t offset, size_t count, std::string& out) {
  std::string h = HostPath(path);
  struct stat st;
  if (h.empty() || stat(h.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  int fd = open(h.c_str(), O_RDONLY);
  if (fd < 0) return false;
  out.assign(count, '\0');
  ssize_t n = pread(fd, out.data(), count, static_cast<off_t>(offset));
  close(fd);
  if (n < 0) return false;
  out.resize(static_cast<size_t>(n));
  return true;
}

bool SimFileSystem::EntryOfHost(const std::string& host, const std::string& name, FileEntry& entry) {
  struct stat st, target;
  if (lstat(host.c_str(), &st) != 0) return false;
  FillEntry(st, S_ISLNK(st.st_mode) && stat(host.c_str(), &target) == 0 && S_ISDIR(target.st_mode), name, entry);
  return true;
}

void SimFileSystem::FillEntry(const struct stat& st, bool linkToFolder, const std::string& name, FileEntry& entry) {
  entry = FileEntry();
  entry.name = name;
  if (S_ISLNK(st.st_mode)) {
    entry.attributes = kAttrReparsePoint | (linkToFolder ? kAttrDirectory : 0);
  } else if (S_ISDIR(st.st_mode)) {
    entry.attributes = kAttrDirectory;
  } else {
    entry.attributes = kAttrArchive;
    entry.size = static_cast<uint64_t>(st.st_size);
  }
  if (!(st.st_mode & S_IWUSR) && !S_ISLNK(st.st_mode)) entry.attributes |= kAttrReadOnly;
  entry.creationTime = ToFileTime(st.st_mtim);
  entry.lastWriteTime = ToFileTime(st.st_mtim);
  entry.lastAccessTime = ToFileTime(st.st_atim);
}

bool SimFileSystem::ListFolder(const std::string& folder, std::vector<FileEntry>& entries) {
  entries.clear();
  return WalkFolder(folder, [&entries](const FileEntry& e) {
    entries.push_back(e);
    return true;
  }) == 0;
}

bool SimFileSystem::GetEntry(const std::string& path, FileEntry& entry) {
  Step("GetEntry", path);
  std::string h = HostPath(path);
  if (h.empty()) return false;
  std::string full = FullPath(path);
  size_t slash = full.rfind('\\');
  std::string name = h.substr(h.rfind('/') + 1);
  if (slash + 1 == full.size()) name = "";  // a drive root
  return EntryOfHost(h, name, entry);
}

std::string SimFileSystem::CurrentFolder() {
  std::lock_guard<std::mutex> lock(mu_);
  return current_;
}

bool SimFileSystem::SetCurrentFolder(const std::string& path) {
  std::string full = FullPath(path);
  if (!DirectoryExists(full)) return false;
  std::lock_guard<std::mutex> lock(mu_);
  current_ = full;
  return true;
}

DriveKind SimFileSystem::DriveKindOf(const std::string& root) {
  if (root.empty()) return DriveKind::kNoRootDir;
  const SimDrive* d = Drive(root[0]);
  return d ? d->kind : DriveKind::kNoRootDir;
}

bool SimFileSystem::VolumeLabel(const std::string& root, std::string& label) {
  const SimDrive* d = root.empty() ? nullptr : Drive(root[0]);
  if (!d || d->labelFails) return false;
  label = d->label;
  return true;
}

bool SimFileSystem::DiskSpace(const std::string& root, uint64_t& total, uint64_t& totalFree) {
  const SimDrive* d = root.empty() ? nullptr : Drive(root[0]);
  if (!d || d->spaceFails) return false;
  if (d->total) {
    total = d->total;
    totalFree = d->free;
    return true;
  }
  struct statvfs vfs;
  if (statvfs(d->hostRoot.c_str(), &vfs) != 0) return false;
  total = static_cast<uint64_t>(vfs.f_blocks) * vfs.f_frsize;
  totalFree = static_cast<uint64_t>(vfs.f_bfree) * vfs.f_frsize;
  return true;
}

}  // namespace vl::sys
