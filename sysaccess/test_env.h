// The machine a contract test runs on: the sim platform natively, the real
// one under Wine. Every test gets its own registry keys and folder, removed
// again afterwards.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sysaccess/platform.h"
#include "sysaccess/registry.h"

namespace vl::sys {

class TestEnv {
 public:
  virtual ~TestEnv() = default;
  virtual Platform& platform() = 0;
  // True for the Win32 backend.
  virtual bool real() const = 0;
  // SID of the user whose hive HKEY_CURRENT_USER is.
  virtual std::string userSid() = 0;
  // A folder link (junction or symbolic link) at `link` pointing at `target`;
  // false when the platform cannot make one.
  virtual bool MakeFolderLink(const std::string& link, const std::string& target) = 0;
  // A folder link that exists before the test (Wine 8 makes none itself:
  // neither CreateSymbolicLinkW nor FSCTL_SET_REPARSE_POINT; the test script
  // makes C:\vl\linkfixture\link -> target from the host side), and the
  // folder it leads to; false when there is none.
  virtual bool FixtureFolderLink(std::string& link, std::string& target) = 0;
  // True when the recycle bin lies where the test may fill it (the sim's own
  // folder; under Wine the trash below the build folder); `why` otherwise.
  virtual bool RecycleBinIsSandboxed(std::string& why) = 0;
  // A path, readable through the platform's files, at which the recycled
  // file of name `name` now lies; empty when the bin holds none.
  virtual std::string FindRecycled(const std::string& name) = 0;
  // Removes what FindRecycled found (and the bin's notes about it).
  virtual void ForgetRecycled(const std::string& recycledPath) = 0;
  // Makes the recycle bin unable to take any file until UndoBinRefusal (the
  // sim's bin of C: gets no room; under Wine the trash's folder of files is
  // replaced by a file, so Wine's trash cannot move anything into it);
  // false and `why` when it cannot.
  virtual bool MakeBinRefuse(std::string& why) = 0;
  virtual void UndoBinRefusal() = 0;
  // A program that, started with `args`, runs until ended (ending by itself
  // after half a minute at most).
  virtual void WaitingProgram(std::string& program, std::vector<std::string>& args) = 0;
};

std::unique_ptr<TestEnv> MakeTestEnv();

// Fixture: a fresh key below HKCU and HKLM\SOFTWARE, and a fresh folder.
class ContractTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  Platform& p() { return env_->platform(); }
  RegistryApi& api() { return *env_->platform().registry; }
  Registry& reg() { return *reg_; }
  FileSystem& fs() { return *env_->platform().files; }
  Processes& procs() { return *env_->platform().processes; }
  HttpClient& http() { return *env_->platform().http; }
  // Creates root\key (and parents); fails the test when it cannot.
  void MakeKey(RegRoot root, const std::string& key);
  void SetRaw(RegRoot root, const std::string& key, const std::string& name, uint32_t type,
              const std::string& bytes);
  RegData GetRaw(RegRoot root, const std::string& key, const std::string& name);

  std::unique_ptr<TestEnv> env_;
  std::unique_ptr<Registry> reg_;
  uint32_t mask_ = kMaskAll;
  std::string userKey_;     // below HKCU
  std::string machineKey_;  // below HKLM, 64-bit view under WOW64
  std::string folder_;      // no trailing backslash
};

}  // namespace vl::sys
