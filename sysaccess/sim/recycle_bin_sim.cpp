// Simulated recycle bin: a folder of each drive the recycled files move into.
#include "sysaccess/full_path_check.h"
#include "sysaccess/sim/files_sim.h"
#include "sysaccess/sim/shell_sim.h"
#include "sysaccess/sys_error.h"

namespace vl::sys {

uint32_t SimShell::SendToRecycleBin(const std::string& path) {
  if (!IsFullEntryPath(path) || path[0] == '\\') return err::kInvalidName;
  FileEntry entry;
  if (!files_.GetEntry(path, entry)) return err::kFileNotFound;
  return RecycleSeen(path, SeenEntry::Of(entry));
}

uint32_t SimShell::RecycleSeen(const std::string& path, const SeenEntry& seen) {
  if (!IsFullEntryPath(path) || path[0] == '\\') return err::kInvalidName;
  auto* sim = dynamic_cast<SimFileSystem*>(&files_);
  // The shell moves the entry itself by path: the hold shares delete with it.
  std::unique_ptr<EntryHold> hold;
  if (uint32_t rc = files_.HoldSeen(path, seen, true, hold)) return rc;
  FileEntry entry;
  if (!files_.GetEntry(path, entry)) return err::kFileNotFound;
  // What the shell would delete for good instead stays where it is.
  if (sim && !sim->RecycleBinTakes(path, entry.size)) return err::kCannotRecycle;
  std::string bin = path.substr(0, 2) + "\\$Recycle.Bin";
  if (!files_.CreateFolder(bin)) return err::kAccessDenied;
  std::string name = path.substr(path.rfind('\\') + 1);
  size_t dot = name.rfind('.');
  std::string base = dot == std::string::npos ? name : name.substr(0, dot);
  std::string ext = dot == std::string::npos ? "" : name.substr(dot);
  std::string target = bin + "\\" + name;
  for (int n = 2; files_.GetEntry(target, entry); ++n) target = bin + "\\" + base + " (" + std::to_string(n) + ")" + ext;
  if (sim)
    if (uint32_t rc = sim->HeldAgainstMove(path)) return rc;
  uint32_t e = files_.MoveFileTo(path, target);
  if (e != 0) return e;
  // What went must be the checked file: one put at its path meanwhile goes back.
  if (sim && sim->HeldIdentity(*hold) != sim->IdentityOf(target)) {
    files_.MoveFileTo(target, path);
    return err::kFileChanged;
  }
  std::lock_guard<std::mutex> lock(mu_);
  recycled_.push_back({files_.FullPath(path), target});
  return 0;
}

}  // namespace vl::sys
