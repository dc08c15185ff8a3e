// The profiles' fixed values.
#include "optimizer/tweak_tables.h"

namespace vl::optimizer {

using sys::kHKCR;
using sys::kHKCU;
using sys::kHKLM;

namespace {

const char kTcpip[] = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
const char kDesktop[] = "Control Panel\\Desktop";
const char kPolicies[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";

Tweak Dword(sys::RegRoot root, const std::string& key, const std::string& name, uint32_t value) {
  Tweak t;
  t.op = Tweak::kSetDword;
  t.root = root;
  t.key = key;
  t.name = name;
  t.dword = value;
  return t;
}

Tweak Sz(sys::RegRoot root, const std::string& key, const std::string& name, const std::string& text) {
  Tweak t = Dword(root, key, name, 0);
  t.op = Tweak::kSetSz;
  t.text = text;
  return t;
}

bool Bit(uint32_t options, int bit) { return (options >> bit) & 1u; }

// The network table's row: MTU, TCP window, DefaultTTL. Index 6, and every
// index outside the table, is the modem's row.
struct NetworkRow {
  uint32_t mtu, window, ttl;
};
NetworkRow NetworkRowFor(int profile) {
  static const NetworkRow kRows[] = {
      {576, 65392, 32},    // Modem
      {576, 32767, 64},    // ISDN (64Kbps)
      {1500, 256960, 128}, // xDSL
      {1492, 255552, 64},  // PPPoE
      {1500, 186880, 128}, // Cable Modem
      {1500, 8192, 64},    // LAN or Broad
  };
  return profile >= 0 && profile <= 5 ? kRows[profile] : kRows[0];
}

void Network(int profile, uint32_t options, std::vector<Tweak>& out) {
  const NetworkRow row = NetworkRowFor(profile);
  const char kInternet[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
  const char kProvider[] = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\ServiceProvider";
  const char kDnscache[] = "SYSTEM\\CurrentControlSet\\Services\\Dnscache\\Parameters";
  out.push_back(Dword(kHKCU, kInternet, "MaxConnectionsPer1_0Server", 5));
  out.push_back(Dword(kHKCU, kInternet, "MaxConnectionsPerServer", 5));
  out.push_back(Dword(kHKLM, kTcpip, "DefaultTTL", row.ttl));
  out.push_back(Dword(kHKLM, kTcpip, "DisableTaskOffload", 0));
  out.push_back(Dword(kHKLM, kTcpip, "TcpTimedWaitDelay", 30));
  // On the Interfaces key itself, not on the adapters below it.
  out.push_back(Dword(kHKLM, "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces", "MTU", row.mtu));
  out.push_back(Dword(kHKLM, kProvider, "LocalPriority", 5));
  out.push_back(Dword(kHKLM, kProvider, "HostsPriority", 6));
  out.push_back(Dword(kHKLM, kProvider, "DnsPriority", 7));
  out.push_back(Dword(kHKLM, kProvider, "NetbtPriority", 8));
  out.push_back(Dword(kHKLM, "SYSTEM\\CurrentControlSet\\Services\\lanmanserver\\parameters", "SizReqBuf", 16384));
  out.push_back(Dword(kHKLM, kDnscache, "MaxNegativeCacheTtl", 0));
  out.push_back(Dword(kHKLM, kDnscache, "NetFailureCacheTime", 0));
  out.push_back(Dword(kHKLM, kDnscache, "NegativeSOACacheTime", 0));

  if (Bit(options, 0)) {
    Tweak t;
    t.op = Tweak::kDeleteTree;
    t.root = kHKLM;
    t.key =
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RemoteComputer\\NameSpace\\"
        "{D6277990-4C6A-11CF-8D87-00AA0060F5BF}";
    out.push_back(t);
  }
  if (Bit(options, 1)) {
    out.push_back(Dword(kHKLM, kTcpip, "EnablePMTUBHDetect", 1));
    out.push_back(Dword(kHKLM, kTcpip, "EnablePMTUDiscovery", 1));
    out.push_back(Dword(kHKLM, kTcpip, "GlobalMaxTcpWindowSize", row.window));
    out.push_back(Dword(kHKLM, kTcpip, "TcpMaxDupAcks", 2));
    out.push_back(Dword(kHKLM, kTcpip, "SackOpts", 1));
    out.push_back(Dword(kHKLM, kTcpip, "Tcp1323Opts", 1));
    out.push_back(Dword(kHKLM, kTcpip, "TcpWindowSize", row.window));
  }
  if (Bit(options, 2)) out.push_back(Sz(kHKCU, kDesktop, "HungAppTimeout", "1000"));
  if (Bit(options, 3))
    out.push_back(Dword(kHKLM, "SYSTEM\\CurrentControlSet\\Services\\NetBT\\Parameters", "RandomAdapter", 1));
  if (Bit(options, 4)) {
    const char kTcpipUpper[] = "SYSTEM\\CurrentControlSet\\Services\\TCPIP\\Parameters";
    const char kAfd[] = "SYSTEM\\CurrentControlSet\\Services\\AFD\\Parameters";
    out.push_back(Dword(kHKLM, kTcpipUpper, "TcpTimedWaitDelay", 30));
    out.push_back(Dword(kHKLM, kTcpipUpper, "MaxUserPort", 65534));
    out.push_back(Dword(kHKLM, kAfd, "EnableDynamicBacklog", 1));
    out.push_back(Dword(kHKLM, kAfd, "MinimumDynamicBacklog", 20));
    out.push_back(Dword(kHKLM, kAfd, "MaximumDynamicBacklog", 1000));
    out.push_back(Dword(kHKLM, kAfd, "DynamicBacklogGrowthDelta", 10));
    out.push_back(Dword(kHKLM, kAfd, "KeepAliveInterval", 1));
  }
}

void DiskCache(int profile, uint32_t options, std::vector<Tweak>& out) {
  if (Bit(options, 0)) out.push_back(Sz(kHKCU, kDesktop, "AutoEndTasks", "1"));
  if (Bit(options, 1)) out.push_back(Sz(kHKCU, kDesktop, "WaitToKillAppTimeout", "1000"));
  if (Bit(options, 2)) out.push_back(Sz(kHKCU, kDesktop, "HungAppTimeout", "1000"));
  if (Bit(options, 3)) out.push_back(Dword(kHKCU, kDesktop, "ForegroundLockTimeout", 200000));
  if (Bit(options, 4))
    out.push_back(Dword(kHKLM, "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management",
                        "IoPageLockLimit", profile == 1 ? 512 : 131072));
  // Option 5 (memory performance) has captions but no registry value that
  // is known to do what they say: it writes nothing (docs/DESIGN.md).
  if (Bit(options, 6))
    out.push_back(Dword(kHKLM, "SYSTEM\\CurrentControlSet\\Control\\PriorityControl", "Win32PrioritySeparation",
                        profile == 3 ? 0 : 2));
  if (Bit(options, 7)) out.push_back(Dword(kHKLM, "SYSTEM\\CurrentControlSet\\Control\\CrashControl", "AutoReboot", 1));
}

void Desktop(int profile, uint32_t options, std::vector<Tweak>& out) {
  // Rows whose data depends on the profile write nothing for a profile
  // other than the two there are.
  const bool known = profile == 0 || profile == 1;
  const bool best = profile == 0;
  const char kExplorerCu[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer";
  auto row = [&](int r) { return Bit(options, r - 1); };
  if (known && row(1))
    out.push_back(Sz(kHKCR, "CLSID\\{00021400-0000-0000-C000-000000000046}", "MenuShowDelay", best ? "900" : "1"));
  if (known && row(2)) out.push_back(Sz(kHKCU, kDesktop, "MenuShowDelay", best ? "400" : "1"));
  if (known && row(3))
    out.push_back(Sz(kHKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer", "Max Cached Icons",
                     best ? "2000" : "500"));
  if (known && row(4)) out.push_back(Sz(kHKCU, "Control Panel\\Desktop\\WindowMetrics", "MinAnimate", best ? "1" : "0"));
  if (known && row(5)) out.push_back(Dword(kHKCU, kDesktop, "SmoothScroll", best ? 1 : 0));
  if (row(6)) out.push_back(Dword(kHKLM, "System\\CurrentControlSet\\Control\\Update", "UpdateMode", 1));
  if (known && row(7)) {
    Tweak t;
    t.root = kHKCU;
    t.key = kPolicies;
    t.name = "NoStartBanner";
    if (best) {
      t.op = Tweak::kSetBinary;
      t.bytes = std::string("\x00\x01\x00\x00\x00\x00\x00\x00", 8);
    } else {
      t.op = Tweak::kDeleteValue;
    }
    out.push_back(t);
  }
  if (known && row(8)) out.push_back(Sz(kHKCU, kDesktop, "DragFullWindows", best ? "1" : "0"));
  if (known && row(9)) out.push_back(Dword(kHKCU, kExplorerCu, "DesktopProcess", best ? 1 : 0));
  if (known && row(10)) out.push_back(Dword(kHKCU, kPolicies, "NoInstrumentation", best ? 1 : 0));
  if (known && row(11)) {
    out.push_back(Dword(kHKCU, kPolicies, "NoSimpleStartMenu", best ? 1 : 0));
    out.push_back(Dword(kHKCU, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer", "PREnabled", best ? 0 : 1));
  }
  if (known && row(12))
    out.push_back(Dword(kHKLM, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", "AutoRestartShell",
                        best ? 0 : 1));
}

void FileSystem(int profile, uint32_t options, std::vector<Tweak>& out) {
  if (Bit(options, 0)) {
    const char kCdfs[] = "System\\CurrentControlSet\\Control\\FileSystem\\CDFS";
    out.push_back(Dword(kHKLM, kCdfs, "CacheSize", 1238));
    out.push_back(Dword(kHKLM, kCdfs, "Prefetch", 2048));
  }
  if (Bit(options, 1))
    out.push_back(Sz(kHKCU, "SOFTWARE\\Microsoft\\MediaPlayer\\Player\\Settings", "EnableDVDUI",
                     profile == 1 ? "yes" : "no"));
  if (Bit(options, 2)) out.push_back(Sz(kHKLM, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug", "Auto", "0"));
  if (Bit(options, 3)) {
    // Each only where its key opens: which is what every change does, since
    // keys are never created.
    out.push_back(Dword(kHKCU, "SOFTWARE\\Microsoft\\Windows\\Windows Error Reporting", "DontshowUI", 1));
    out.push_back(Dword(kHKLM, "SYSTEM\\CurrentControlSet\\Services\\ERSvc", "Start", 4));
  }
  if (Bit(options, 4)) out.push_back(Sz(kHKLM, "SOFTWARE\\Microsoft\\Dfrg\\BootOptimizeFunction", "Enable", "Y"));
  if (Bit(options, 5))
    out.push_back(Dword(kHKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\OptimalLayout", "EnableAutoLayout", 1));
  if (Bit(options, 6))
    out.push_back(Dword(kHKLM, "SYSTEM\\CurrentControlSet\\Control\\FileSystem", "ContigFileAllocSize", 512));
}

}  // namespace

std::vector<Tweak> ProfileTweaks(int job, int profile, uint32_t options) {
  std::vector<Tweak> out;
  switch (job) {
    case kNetworkJob: Network(profile, options, out); break;
    case kDiskCacheJob: DiskCache(profile, options, out); break;
    case kDesktopJob: Desktop(profile, options, out); break;
    case kFileSystemJob: FileSystem(profile, options, out); break;
    default: break;
  }
  return out;
}

const std::vector<std::string>& NetworkConnections() {
  static const std::vector<std::string> k = {
      "Modem", "ISDN (64Kbps)", "xDSL", "PPPoE", "Cable Modem", "LAN or Broad (10Mbps or higher)",
      "Wireless Network (10Mbps or higher)"};
  return k;
}

const std::vector<std::string>& NetworkOptions() {
  static const std::vector<std::string> k = {
      "Speed up LAN browsing speed",
      "Enable MTU automatic discovery, Black Hole Routers Detect, TCP Receive Window Auto-Adjust",
      "Enable Selective ACK and improve express forwarding",
      "Enable loading balance of multi-network adapters",
      "Improve network capability and throughput"};
  return k;
}

const std::vector<std::string>& ComputerTypes() {
  static const std::vector<std::string> k = {"Windows Standard User", "Short System Resource User",
                                             "Large-scale Software User", "Web File Server",
                                             "Multimedia Fun, CD-Writer User"};
  return k;
}

std::vector<std::string> DiskCacheOptions(int profile) {
  std::vector<std::string> k = {
      "Automatically close unresponsive applications.",
      "Wait time of closing unresponsive applications is set as 1 second.",
      "Wait time of application error is set as 1 second.",
      "Set rapid response to application requests.",
      "Set Input/Output Cache as 128MB.",
      "Configure memory performance as minimum memory consumption.",
      "Allocate more CPU resources for Foreground Programs.",
      "Restart Windows when a fatal error occurs."};
  if (profile == 1) k[4] = "Set Input/Output Cache as 512K.";
  if (profile == 2) k[5] = "Configure memory performance as balance.";
  if (profile == 3) {
    k[5] = "Configure memory performance as maximum network throughout.";
    k[6] = "Allocate more CPU resources for Background Service.";
  }
  return k;
}

const std::vector<std::string>& DesktopProfiles() {
  static const std::vector<std::string> k = {"Best Appearance", "Maximum Performance"};
  return k;
}

const std::vector<DesktopRow>& DesktopRows() {
  static const std::vector<DesktopRow> k = {
      {"Start Menu speed", {"900", "1"}},
      {"Menu display speed", {"400", "0"}},
      {"Desktop icon cache", {"2000", "500"}},
      {"Menu animation", {"Enabled", "Disabled"}},
      {"Smooth scrolling effect", {"Enabled", "Disabled"}},
      {"Accelerate Windows refresh rate", {"Disabled", "Disabled"}},
      {"Start Menu animation prompt", {"Enabled", "Disabled"}},
      {"Turn off animation effects, such as Windows display, menus and list popup etc", {"Enabled", "Disabled"}},
      {"Create independent process for Desktop and Explorer when Windows starts", {"Enabled", "Disabled"}},
      {"Stop recording information of running applications, file paths and used documents",
       {"Enabled", "Disabled"}},
      {"Use classic style of Start Menu and Desktop to save system resourcess", {"Enabled", "Disabled"}},
      {"Automatically restart interface in case of any exception raised in User Interface or its components",
       {"Disabled", "Enabled"}},
  };
  return k;
}

const std::vector<std::string>& FileSystemProfiles() {
  static const std::vector<std::string> k = {
      "Maximum Performance - Recommended to the computer in low configuration.",
      "Best Multimedia Quality - Recommended to user who prefer better multimedia."};
  return k;
}

const char kContiguousAllocationOption[] = "Optimize the contiguous file allocation size";

std::vector<std::string> FileSystemOptions(int profile) {
  std::vector<std::string> k = {
      "Optimize CD /DVD-ROM best access",
      profile == 1 ? "Enabled Media Player DVD" : "Disabled Media Player DVD",
      "Disable debugging tools",
      "Disable Microsoft Error Reporting Service unless fatal error occurs",
      "Allow Windows to optimize boot partition automatically when necessary",
      "Allow Windows to run hard drive optimization process in the background when the system is idle"};
  if (profile == 1) k.push_back(kContiguousAllocationOption);
  return k;
}

}  // namespace vl::optimizer
