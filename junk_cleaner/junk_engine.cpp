// The junk walk and the three ways of removing what it found.
#include "junk_cleaner/junk_engine.h"

#include <algorithm>
#include <unordered_map>

#include "junk_cleaner/database_files.h"

#include "sysaccess/error_text.h"
#include "sysaccess/sys_error.h"
#include "sysaccess/text.h"

namespace vl::junk {

namespace {

bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

// The folders Windows keeps at a drive's root for itself: the recycle bin
// (the files there are the user's way back from a delete, whatever their
// names) and the restore points. Never walked, whatever is protected.
bool IsSystemRootFolder(const std::string& folder, const std::string& name) {
  if (folder.size() != 3 || folder[1] != ':') return false;
  const std::string n = sys::AsciiLower(name);
  return n == "$recycle.bin" || n == "recycler" || n == "recycled" || n == "system volume information";
}

class Walker {
 public:
  Walker(sys::FileSystem& files, const MaskList& masks, const ProtectedFolders* protect, JunkContext& context,
         TSearchJunk& group)
      : files_(files), masks_(masks), protect_(protect && !protect->empty() ? protect : nullptr), context_(context),
        group_(group) {}

  // Walks `folder` (ending with "\") and everything below it, except what is
  // protected; false once stopped.
  bool Walk(const std::string& folder) {
    const std::vector<std::string>* open = protect_ ? protect_->Find(folder) : nullptr;
    return open ? WalkExceptions(*open) : WalkPlain(folder);
  }

  int32_t added() const { return added_; }

 private:
  // A matching file waits for the end of its folder: whether it belongs to a
  // database set depends on the folder's other entries.
  struct Pending {
    std::string name;
    int mask;
    uint64_t size, lastWriteTime, creationTime;
  };
  // What the folder's entries tell about database sets there.
  struct FolderFacts {
    bool holdsEngineDatabase = false;     // an .edb file
    std::vector<std::string> sideFiles;  // lower-case names of possible side files
  };

  // A protected folder is never listed; only the subfolders it leaves open are walked.
  bool WalkExceptions(const std::vector<std::string>& open) {
    for (const std::string& sub : open) {
      sys::FileEntry e;
      if (!files_.GetEntry(sub.substr(0, sub.size() - 1), e) || !e.IsFolder() || e.IsReparsePoint()) continue;
      context_.ShowHint("Scanning " + sub.substr(0, sub.size() - 1));
      if (!Walk(sub)) return false;
    }
    return !context_.Stopped();
  }

  bool WalkPlain(const std::string& folder) {
    bool stopped = false;
    std::vector<Pending> pending;
    FolderFacts facts;
    files_.WalkFolder(folder, [&](const sys::FileEntry& e) {
      if (context_.Stopped()) {
        stopped = true;
        return false;
      }
      // A link leads out of the tree: never listed, never entered.
      if (e.IsReparsePoint()) return true;
      if (e.IsFolder()) {
        if (IsSystemRootFolder(folder, e.name)) return true;
        const std::string sub = folder + e.name;
        // A protected folder is not entered: only what it leaves open is walked.
        const std::vector<std::string>* open = protect_ ? protect_->Find(sub) : nullptr;
        if (open) {
          if (!WalkExceptions(*open)) stopped = true;
          return !stopped;
        }
        context_.ShowHint("Scanning " + sub);
        if (!WalkPlain(sub + "\\")) stopped = true;
        return !stopped;
      }
      if (EndsWithEdb(e.name)) facts.holdsEngineDatabase = true;
      if (MayBeSideFile(e.name)) facts.sideFiles.push_back(sys::AsciiLower(e.name));
      const int mask = masks_.FirstMatch(e.name);
      if (mask < 0 || IsExcluded(folder, e.name) || IsEngineFileName(e.name)) return true;
      pending.push_back({e.name, mask, e.size, e.lastWriteTime, e.creationTime});
      return true;
    });
    // A folder listed only in part (stopped) is asked about what was not seen.
    const bool whole = !stopped;
    for (const Pending& f : pending)
      if (!InDatabaseSet(folder, f.name, facts, whole)) Add(folder, f);
    return !stopped && !context_.Stopped();
  }

  bool InDatabaseSet(const std::string& folder, const std::string& name, const FolderFacts& facts, bool whole) {
    if (facts.holdsEngineDatabase && IsEngineLogOrCheckpoint(name)) return true;
    const std::string lower = sys::AsciiLower(name);
    // A side file beside its database; the database while a side file is there.
    const std::string db = DatabaseOfSideFile(name);
    if (!db.empty() && Exists(folder + db)) return true;
    for (const char* suffix : {"-journal", "-wal", "-shm"}) {
      if (std::find(facts.sideFiles.begin(), facts.sideFiles.end(), lower + suffix) != facts.sideFiles.end())
        return true;
      if (!whole && Exists(folder + name + suffix)) return true;
    }
    const size_t dot = lower.rfind('.');
    if (dot != std::string::npos) {
      const std::string ext = lower.substr(dot), base = lower.substr(0, dot);
      const char* lock = ext == ".mdb" ? ".ldb" : ext == ".accdb" ? ".laccdb" : nullptr;
      if (lock) {
        if (std::find(facts.sideFiles.begin(), facts.sideFiles.end(), base + lock) != facts.sideFiles.end())
          return true;
        if (!whole && Exists(folder + name.substr(0, dot) + lock)) return true;
      }
    }
    if (!whole && IsEngineLogOrCheckpoint(name)) {
      // Whether the folder holds a database was not seen to the end.
      std::vector<sys::FileEntry> entries;
      if (files_.ListFolder(folder, entries))
        for (const sys::FileEntry& e : entries)
          if (EndsWithEdb(e.name)) return true;
    }
    return false;
  }

  bool Exists(const std::string& path) {
    sys::FileEntry e;
    return files_.GetEntry(path, e) && !e.IsFolder();
  }

  void Add(const std::string& folder, const Pending& f) {
    if (group_.folders.empty() || group_.folders.back() != folder) group_.folders.push_back(folder);
    group_.files.push_back({f.name, static_cast<uint32_t>(group_.folders.size() - 1), f.size, f.lastWriteTime,
                            f.creationTime, static_cast<uint16_t>(f.mask), true});
    ++group_.fileCount;
    group_.foundBytes += f.size;
    ++added_;
  }

  sys::FileSystem& files_;
  const MaskList& masks_;
  const ProtectedFolders* protect_;
  JunkContext& context_;
  TSearchJunk& group_;
  int32_t added_ = 0;
};

// Folder in which "a\\b" became "a\b", ending with "\".
std::string WalkRoot(const std::string& drive) {
  std::string f = drive + "\\";
  std::string out;
  for (char c : f)
    if (!(c == '\\' && !out.empty() && out.back() == '\\')) out += c;
  if (out.back() != '\\') out += '\\';
  return out;
}

class Remover {
 public:
  Remover(sys::FileSystem& files, sys::Shell& shell, RemovalMode mode, const std::string& target)
      : files_(files), shell_(shell), mode_(mode), target_(target) {}

  // 0, or why the file was left alone. Each removal opens the file itself
  // and checks it there (no verdict about its folders is kept between
  // files: a folder may become a link at any moment).
  uint32_t Remove(const TSearchJunk& group, const TScanResultBye& file) {
    const std::string path = group.PathOf(file);
    const sys::SeenEntry seen = sys::SeenEntry::File(file.size, file.lastWriteTime);
    switch (mode_) {
      case RemovalMode::kRecycleBin: return shell_.RecycleSeen(path, seen);
      case RemovalMode::kDelete: return files_.RemoveSeen(path, seen);
      case RemovalMode::kMove: return Move(path, file.name, seen);
    }
    return sys::err::kInvalidParameter;
  }

 private:
  // Into the target folder under the first free name: name, base_1.ext, base_2.ext ...
  uint32_t Move(const std::string& path, const std::string& name, const sys::SeenEntry& seen) {
    const size_t dot = name.rfind('.');
    const std::string base = dot == std::string::npos ? name : name.substr(0, dot);
    const std::string ext = dot == std::string::npos ? "" : name.substr(dot);
    for (int n = 0; n < 100000; ++n) {
      const std::string to = target_ + (n == 0 ? name : base + "_" + std::to_string(n) + ext);
      const uint32_t rc = files_.MoveSeen(path, to, seen);
      if (rc != sys::err::kAlreadyExists && rc != sys::err::kFileExists) return rc;
    }
    return sys::err::kAlreadyExists;
  }

  sys::FileSystem& files_;
  sys::Shell& shell_;
  const RemovalMode mode_;
  const std::string target_;
};

}  // namespace

bool IsExcluded(const std::string& folder, const std::string& name) {
  const std::string f = sys::AsciiLower(sys::Trim(folder));
  const std::string n = sys::AsciiLower(sys::Trim(name));
  if (n == "desktop.ini") return Contains(f, "\\history");
  if (n == "index.dat") return Contains(f, "temporary internet files\\content.ie5") || Contains(f, "\\cookie");
  return n == "windowsupdate.log" || n == "ntuser.dat.log";
}

std::string RemovalFailureText(const std::string& path, uint32_t error) {
  switch (error) {
    case sys::err::kCannotRecycle: return path + " cannot be moved to the Recycle Bin";
    case sys::err::kStoppedOnSymlink: return path + " was left alone: a folder on its way is now a link";
    case sys::err::kFileChanged: return path + " was left alone: it changed since the scan";
    case sys::err::kFileNotFound:
    case sys::err::kPathNotFound: return path + " is no longer there";
    case sys::err::kSharingViolation: return path + " is in use by another program";
    default: return path + " could not be removed: " + sys::SystemErrorText(error);
  }
}

int32_t ScanGroups(sys::FileSystem& files, const std::vector<TSearchJunk*>& groups, const MaskList& masks,
                   JunkContext& context, const ProtectedFolders* protect) {
  int32_t total = 0;
  for (TSearchJunk* g : groups) {
    if (context.Stopped()) break;
    g->state.store(kScanning);
    context.StateChanged();
    g->masks = masks.texts();
    Walker walker(files, masks, protect, context, *g);
    walker.Walk(WalkRoot(g->drive));
    total += walker.added();
    g->state.store(kScanned);
    context.StateChanged();
  }
  return total;
}

void CleanGroups(sys::FileSystem& files, sys::Shell& shell, const std::vector<TSearchJunk*>& groups,
                 RemovalMode mode, const std::string& target, JunkContext& context) {
  Remover remover(files, shell, mode, target);
  for (TSearchJunk* g : groups) {
    if (context.Stopped()) break;
    if (g->fileCount > 0 && g->state.load() == kScanned) {
      g->state.store(kCleaning);
      context.StateChanged();
      g->failedCount = 0;
      g->removedBytes = 0;
      g->failures.clear();
      // A group once started is cleaned to its end.
      for (size_t i = 0; i < g->files.size(); ++i) {
        const TScanResultBye& f = g->files[i];
        // Unticked in the file list: left where it is, counted neither way.
        if (!f.ticked) continue;
        context.ShowHint("Deleting " + g->PathOf(f));
        const uint32_t rc = remover.Remove(*g, f);
        if (rc == 0) {
          g->removedBytes += f.size;
        } else {
          ++g->failedCount;
          g->failures.push_back({static_cast<uint32_t>(i), RemovalFailureText(g->PathOf(f), rc)});
        }
      }
    }
    g->state.store(kFinished);
    context.StateChanged();
  }
}

}  // namespace vl::junk
