// Simulated process services: a WOW64 switch, per-thread redirection state,
// an environment, a fixed time zone, and the registry editor stand-in that
// imports and exports .reg files against the simulated registry.
#pragma once
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "sysaccess/files.h"
#include "sysaccess/registry.h"
#include "sysaccess/system.h"

namespace vl::sys {

class SimSystem : public System {
 public:
  SimSystem(RegistryApi& registry, FileSystem& files) : registry_(registry), files_(files) {}

  void SetWow64(bool on) { wow64_ = on; }
  // A 64-bit process on 64-bit Windows: no WOW64, no redirection, one view.
  void Set64BitProcess(bool on) { process64_ = on; }
  void SetEnvironmentVariable(const std::string& name, const std::string& value);
  void SetUtcOffsetMinutes(int minutes) { utcOffset_ = minutes; }
  // True while the calling thread has redirection on (WOW64 only).
  bool RedirectionActive();
  // Command lines the registry editor was run with.
  std::vector<std::string> registryEditorRuns();

  bool IsWow64() override { return wow64_; }
  bool Is64BitWindows() override { return wow64_ || process64_; }
  bool DisableFsRedirection(void** saved) override;
  bool RevertFsRedirection(void* saved) override;
  std::string EnvironmentVariable(const std::string& name) override;
  bool FileTimeToLocal(uint64_t utc, uint64_t* local) override;
  // "/s file" imports, "/e file [key]" exports (the whole registry without a
  // key); other arguments fail.
  bool RunRegistryEditor(const std::string& arguments, uint32_t timeoutMs) override;
  // As the real editor, the stand-in ends normally whether or not it took
  // the file; the restore's own check tells the difference.
  EditorRun RunRegistryEditorWait(const std::string& arguments, uint32_t timeoutMs,
                                  const std::function<void()>& started) override;
  // Tests: "/s" ends normally without importing anything, as the real editor
  // does with a file it rejects.
  void SetEditorIgnoresImports(bool on) { ignoresImports_ = on; }
  // Tests: the editor is still at work when the wait runs out (it does
  // nothing).
  void SetEditorOutlastsWait(bool on) { outlastsWait_ = on; }
  // Tests: an export stops after this many bytes (negative: never).
  void SetExportCutAt(long long bytes) { exportCutAt_ = bytes; }
  // Tests: runs on the editor's thread after its work, before it exits.
  std::function<void()> beforeEditorExits;
  // The stand-in runs at once; it "cannot be started" while SetEditorMissing(true).
  bool StartRegistryEditor(const std::string& arguments) override;
  void SetEditorMissing(bool missing) { editorMissing_ = missing; }
  // English unless a test set other names.
  DateNames UserDateNames() override;
  void SetDateNames(const DateNames& names);
  // "." unless a test set another.
  std::string DecimalSeparator() override;
  void SetDecimalSeparator(const std::string& separator);

 private:
  void Record(const std::string& arguments);
  bool EditorWork(const std::string& arguments);

  RegistryApi& registry_;
  FileSystem& files_;
  bool wow64_ = false;
  bool process64_ = false;
  bool editorMissing_ = false;
  bool ignoresImports_ = false;
  bool outlastsWait_ = false;
  long long exportCutAt_ = -1;
  int utcOffset_ = 0;
  std::mutex mu_;
  std::set<std::thread::id> redirectionOff_;
  std::map<std::string, std::string> env_;  // upper-cased names
  std::vector<std::string> runs_;
  DateNames names_ = EnglishDateNames();
  std::string decimal_ = ".";
};

// Splits a command line into arguments (double quotes group, and are removed).
std::vector<std::string> SplitArguments(const std::string& commandLine);

}  // namespace vl::sys
