// Simulated process services and the registry editor stand-in.
#include "sysaccess/sim/system_sim.h"

#include "sysaccess/reg_file.h"
#include "sysaccess/reg_writer.h"
#include "sysaccess/text.h"

namespace vl::sys {

std::vector<std::string> SplitArguments(const std::string& commandLine) {
  std::vector<std::string> args;
  std::string cur;
  bool quoted = false, any = false;
  for (char c : commandLine) {
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (any) args.push_back(cur);
      cur.clear();
      any = false;
    } else {
      cur.push_back(c);
      any = true;
    }
  }
  if (any) args.push_back(cur);
  return args;
}

void SimSystem::SetEnvironmentVariable(const std::string& name, const std::string& value) {
  std::lock_guard<std::mutex> lock(mu_);
  env_[ToUpperText(name)] = value;
}

std::string SimSystem::EnvironmentVariable(const std::string& name) {
  std::lock_guard<std::mutex> lock(mu_);
  auto it = env_.find(ToUpperText(name));
  return it == env_.end() ? std::string() : it->second;
}

bool SimSystem::RedirectionActive() {
  if (!wow64_) return false;
  std::lock_guard<std::mutex> lock(mu_);
  return redirectionOff_.count(std::this_thread::get_id()) == 0;
}

bool SimSystem::DisableFsRedirection(void** saved) {
  std::lock_guard<std::mutex> lock(mu_);
  bool wasOff = !redirectionOff_.insert(std::this_thread::get_id()).second;
  *saved = reinterpret_cast<void*>(static_cast<uintptr_t>(wasOff ? 2 : 1));
  return true;
}

bool SimSystem::RevertFsRedirection(void* saved) {
  std::lock_guard<std::mutex> lock(mu_);
  if (reinterpret_cast<uintptr_t>(saved) == 1) redirectionOff_.erase(std::this_thread::get_id());
  return true;
}

bool SimSystem::FileTimeToLocal(uint64_t utc, uint64_t* local) {
  int64_t shift = static_cast<int64_t>(utcOffset_) * 60 * 10000000LL;
  if (shift < 0 && utc < static_cast<uint64_t>(-shift)) return false;
  *local = utc + static_cast<uint64_t>(shift);
  return true;
}

DateNames SimSystem::UserDateNames() {
  std::lock_guard<std::mutex> lock(mu_);
  return names_;
}

void SimSystem::SetDateNames(const DateNames& names) {
  std::lock_guard<std::mutex> lock(mu_);
  names_ = names;
}

std::string SimSystem::DecimalSeparator() {
  std::lock_guard<std::mutex> lock(mu_);
  return decimal_;
}

void SimSystem::SetDecimalSeparator(const std::string& separator) {
  std::lock_guard<std::mutex> lock(mu_);
  decimal_ = separator;
}

std::vector<std::string> SimSystem::registryEditorRuns() {
  std::lock_guard<std::mutex> lock(mu_);
  return runs_;
}

bool SimSystem::StartRegistryEditor(const std::string& arguments) {
  if (editorMissing_) return false;
  RunRegistryEditor(arguments, 0);
  return true;
}

bool SimSystem::RunRegistryEditor(const std::string& arguments, uint32_t /*timeoutMs*/) {
  if (editorMissing_ || outlastsWait_) return false;
  Record(arguments);
  const bool ok = EditorWork(arguments);
  if (beforeEditorExits) beforeEditorExits();
  return ok;
}

EditorRun SimSystem::RunRegistryEditorWait(const std::string& arguments, uint32_t /*timeoutMs*/,
                                           const std::function<void()>& started) {
  if (editorMissing_) return EditorRun::kNotStarted;
  Record(arguments);
  if (started) started();
  if (outlastsWait_) return EditorRun::kStillRunning;
  // The real editor exits normally whether or not it took the file.
  EditorWork(arguments);
  if (beforeEditorExits) beforeEditorExits();
  return EditorRun::kFinished;
}

void SimSystem::Record(const std::string& arguments) {
  std::lock_guard<std::mutex> lock(mu_);
  runs_.push_back(arguments);
}

bool SimSystem::EditorWork(const std::string& arguments) {
  std::vector<std::string> args = SplitArguments(arguments);
  if (args.size() >= 2 && EqualsNoCase(args[0], "/s")) {
    std::string bytes;
    RegFileContent content;
    if (!files_.ReadFileBytes(args[1], bytes)) return false;
    if (ignoresImports_) return true;
    if (!ParseRegFile(bytes, &content)) return false;
    ApplyRegFile(registry_, content, kMaskAll64);
    return true;
  }
  if (args.size() >= 2 && EqualsNoCase(args[0], "/e")) {
    std::vector<std::string> lines;
    if (args.size() >= 3) {
      std::string full = args[2];
      size_t slash = full.find('\\');
      RegRoot root;
      if (!ParseRootName(full.substr(0, slash), &root)) return false;
      std::string key = slash == std::string::npos ? "" : full.substr(slash + 1);
      if (!Registry(registry_).KeyExists(root, key, kMaskAll64)) return false;
      lines = ExportRegTree(registry_, root, key, kMaskAll64);
    } else {
      lines = {kRegHeaderV5, ""};
      for (RegRoot root : {kHKLM, kHKCR, kHKCU, kHKU, kHKCC}) {
        std::vector<std::string> part = ExportRegTree(registry_, root, "", kMaskAll64);
        lines.insert(lines.end(), part.begin() + 2, part.end());
      }
    }
    std::string bytes = EncodeRegFile(lines);
    // An editor that stops early leaves what it wrote so far.
    if (exportCutAt_ >= 0 && static_cast<size_t>(exportCutAt_) < bytes.size()) {
      files_.WriteFileBytes(args[1], bytes.substr(0, static_cast<size_t>(exportCutAt_)));
      return false;
    }
    return files_.WriteFileBytes(args[1], bytes);
  }
  return false;
}

}  // namespace vl::sys
