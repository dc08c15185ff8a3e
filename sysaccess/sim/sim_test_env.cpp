// The contract suite's machine natively: a fresh simulated platform per test,
// a WOW64 one like the 64-bit Wine prefix the Win32 run uses.
#include <unistd.h>

#include "sysaccess/sim/sim_platform.h"
#include "sysaccess/test_env.h"

namespace vl::sys {

namespace {

class SimTestEnv : public TestEnv {
 public:
  SimTestEnv() { sim_.SetWow64(true); }
  Platform& platform() override { return sim_.platform(); }
  bool real() const override { return false; }
  std::string userSid() override { return sim_.registry().currentUserSid(); }
  bool MakeFolderLink(const std::string& link, const std::string& target) override {
    std::string l = sim_.files().HostPath(link), t = sim_.files().HostPath(target);
    return !l.empty() && !t.empty() && symlink(t.c_str(), l.c_str()) == 0;
  }
  bool FixtureFolderLink(std::string& link, std::string& target) override {
    link = "C:\\vl\\linkfixture\\link";
    target = "C:\\vl\\linkfixture\\target";
    return sim_.files().CreateFolder(target) && MakeFolderLink(link, target);
  }
  bool RecycleBinIsSandboxed(std::string& why) override { return true; }
  std::string FindRecycled(const std::string& name) override {
    for (const auto& r : sim_.shell().recycled())
      if (r.original.substr(r.original.rfind('\\') + 1) == name && sim_.files().FileExists(r.inBin)) return r.inBin;
    return "";
  }
  void ForgetRecycled(const std::string& recycledPath) override { sim_.files().RemoveFile(recycledPath); }
  bool MakeBinRefuse(std::string& why) override {
    sim_.files().SetRecycleBinRoom('C', 0);
    return true;
  }
  void UndoBinRefusal() override { sim_.files().SetRecycleBinRoom('C', ~0ull); }
  void WaitingProgram(std::string& program, std::vector<std::string>& args) override {
    program = "C:\\vl\\bin\\waiter.exe";
    sim_.files().CreateFolder("C:\\vl\\bin");
    sim_.files().WriteFileBytes(program, "MZ");
    args = {"--wait"};
  }

 private:
  SimPlatform sim_;
};

}  // namespace

std::unique_ptr<TestEnv> MakeTestEnv() { return std::make_unique<SimTestEnv>(); }

}  // namespace vl::sys
