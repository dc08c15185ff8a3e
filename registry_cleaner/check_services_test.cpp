// Category 13: services and drivers.
#include <gmock/gmock.h>

#include "registry_cleaner/check_refs_testing.h"

namespace vl::registry::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::string kServicesKey = "SYSTEM\\ControlSet001\\Services";

class ServicesTest : public RefsCheckTest {
 protected:
  std::string Problem(const std::string& service, const std::string& data) {
    return "HKLM|" + kServicesKey + "\\" + service + "|ImagePath|" + data + "|109|" + Mask();
  }
};

TEST_F(ServicesTest, ReportsImagesThatAreGone) {
  Reg(R"reg([HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Services\AppSvc]
"ImagePath"="\"C:\\Program Files\\App\\appsvc.exe\" -service"
[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Services\Bare]
"ImagePath"="C:\\Program Files\\App\\bare"
[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Services\Drv]
"ImagePath"="system32\\drivers\\drv.sys"
[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Services\DrvGone]
"ImagePath"="System32\\drivers\\gone.sys"
[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Services\Empty]
"ImagePath"=""
[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Services\Host]
"ImagePath"="%SystemRoot%\\system32\\svchost -k netsvcs"
[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Services\HostExe]
"ImagePath"="%SystemRoot%\\System32\\svchost.exe -k LocalServiceNoNetwork -p"
[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Services\NoImage]
"Start"=dword:00000003
[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Services\NtPath]
"ImagePath"="\\??\\C:\\Program Files\\Gone\\gone.sys"
[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Services\RootDrv]
"ImagePath"="\\SystemRoot\\System32\\drivers\\root.sys"
[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Services\Vanished]
"ImagePath"=" \"C:\\Program Files\\Vanished\\svc.exe\" "
)reg");
  File("C:\\Program Files\\App\\appsvc.exe");
  File("C:\\Program Files\\App\\bare.exe");  // ".exe" added to a path without extension
  File("C:\\Windows\\System32\\drivers\\drv.sys");
  EXPECT_THAT(Run(kServices), ElementsAre(Problem("DrvGone", "System32\\drivers\\gone.sys"),
                                          Problem("RootDrv", "\\SystemRoot\\System32\\drivers\\root.sys"),
                                          Problem("Vanished", "\"C:\\Program Files\\Vanished\\svc.exe\"")));
  EXPECT_EQ(ctx.progress.size(), 11u);  // services without an image path are items too
  EXPECT_EQ(ctx.progress[7], "HKEY_LOCAL_MACHINE\\" + kServicesKey + "\\NoImage");
}

TEST_F(ServicesTest, StopsBeforeTheNextService) {
  Reg(R"reg([HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Services\A]
"ImagePath"="C:\\Gone\\a.exe"
[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Services\B]
"ImagePath"="C:\\Gone\\b.exe"
)reg");
  ctx.StopAfter(1);
  EXPECT_THAT(Run(kServices), ElementsAre(Problem("A", "C:\\Gone\\a.exe")));
}

TEST_F(ServicesTest, On64BitWindowsNativeDriversAreFound) {
  sim.SetWow64(true);
  Reg(R"reg([HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Services\Native]
"ImagePath"="system32\\drivers\\native.sys"
[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Services\X86]
"ImagePath"="\"C:\\Program Files (x86)\\App\\svc.exe\""
)reg");
  NativeFile("C:\\Windows\\System32\\drivers\\native.sys");
  File("C:\\Program Files\\App\\svc.exe");
  EXPECT_THAT(Run(kServices), IsEmpty());
}

}  // namespace
}  // namespace vl::registry::testing
