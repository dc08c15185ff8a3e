// What a category check sees while it runs: the machine, the registry view
// of its thread, the stop flag, the progress line and the problem list. The
// scan worker provides the real one; tests of the checks record problems.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "sysaccess/platform.h"
#include "sysaccess/registry.h"

namespace vl::registry {

class ScanContext {
 public:
  virtual ~ScanContext() = default;

  virtual sys::Platform& platform() = 0;
  virtual sys::Registry& registry() = 0;
  // 0xF013F on 64-bit Windows, else 0xF003F; every key of the scan opens with it.
  virtual uint32_t access() const = 0;
  // The process as the worker was started with it.
  virtual sys::Bitness bitness() const = 0;
  // A 32-bit process on 64-bit Windows: the checks switch redirection off.
  bool wow64() const { return bitness().wow64; }
  // The system folder with a trailing backslash, as taken when the worker started.
  virtual const std::string& systemFolder() const = 0;

  // Checks test this before each item of their outer loops.
  virtual bool Stopped() const = 0;
  // The current item for the progress line (ShowProgress).
  virtual void ShowProgress(const std::string& item) = 0;
  // Files one problem (after the ignore test). `unnamedValue`: the value is
  // the key's unnamed one, shown as "(Default)" in `valueName`.
  virtual void AddProblem(uint32_t root, const std::string& keyPath, uint32_t access, uint16_t code,
                          const std::string& data, const std::string& valueName, bool unnamedValue = false) = 0;
  // Whether the file exists; mode 1 adds the 64-bit fallbacks (System32 →
  // SysWOW64, one program files folder → the other).
  virtual bool FileExistsWow64(const std::string& path, int mode) = 0;
};

// The keys a check walks for one key of the registry: the key itself and, on
// 64-bit Windows, the 32-bit programs' own copy where Windows keeps one apart
// (Wow6432Node; shared keys are walked once). Both are opened with access(),
// so a problem of the 32-bit view names its Wow6432Node path, and the repair,
// its backup line and the restore all act on that key.
std::vector<std::string> ViewPaths(const ScanContext& context, sys::RegRoot root, const std::string& key);

// The check of one category (0 to 14); does nothing for other numbers.
void RunCategoryCheck(int category, ScanContext& context);

}  // namespace vl::registry
