// A scan of all fifteen registry categories over a large planted load,
// against a bare walk that reads the same keys and values through the same
// registry interface without checking anything. Registry calls are counted
// by a wrapper placed in a copy of the platform. The scan runs three ways:
// without progress, with each progress item as a synchronous main-thread
// round trip, and with progress items posted (coalesced). Natively the
// simulated platform and ManualDispatcher; in the Windows build the real
// registry and the Win32 dispatcher. Everything planted is under "VlBench"
// keys and removed afterwards. Prints figures only.
// Usage: vl_registry_scan_bench [classes] [file types] [services] [empty keys]
#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "ui/dispatcher.h"
#include "ui/ui_model.h"
#include "registry_cleaner/file_exists_wow64.h"
#include "registry_cleaner/scan_context.h"
#include "registry_cleaner/scan_types.h"
#include "sysaccess/registry.h"
#include "sysaccess/shell_folders.h"
#include "sysaccess/text.h"

#ifdef _WIN32
#include <windows.h>

#include "ui/win32/win32_ports.h"
#include "sysaccess/win32/win32_platform.h"
#else
#include "sysaccess/sim/sim_platform.h"
#endif

namespace vl::bench {
namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// Counts every registry call; while recording, also the keys opened from a root.
class CountingRegistry : public sys::RegistryApi {
 public:
  explicit CountingRegistry(sys::RegistryApi& inner) : inner_(inner) {}

  struct Opened {
    sys::RegRoot root;
    std::string key;
    uint32_t mask;
  };
  std::atomic<long long> calls{0};
  bool recording = false;
  std::vector<Opened> opened;

  long OpenKey(sys::RegKey parent, const std::string& subKey, uint32_t mask, sys::RegKey* out) override {
    ++calls;
    if (recording && parent >= sys::kHKCR && parent <= sys::kHKDD) {
      std::lock_guard<std::mutex> lock(mutex_);
      if (seen_.insert(std::make_tuple(parent, sys::ToUpperText(subKey), mask)).second)
        opened.push_back({static_cast<sys::RegRoot>(parent), subKey, mask});
    }
    return inner_.OpenKey(parent, subKey, mask, out);
  }
  long CreateKey(sys::RegKey parent, const std::string& subKey, uint32_t mask, sys::RegKey* out) override {
    ++calls;
    return inner_.CreateKey(parent, subKey, mask, out);
  }
  long CloseKey(sys::RegKey key) override {
    ++calls;
    return inner_.CloseKey(key);
  }
  long QueryValue(sys::RegKey key, const std::string& name, uint32_t capacity, sys::RegData* out) override {
    ++calls;
    return inner_.QueryValue(key, name, capacity, out);
  }
  long EnumKey(sys::RegKey key, uint32_t index, uint32_t nameCapacity, std::string* name) override {
    ++calls;
    return inner_.EnumKey(key, index, nameCapacity, name);
  }
  long EnumValue(sys::RegKey key, uint32_t index, uint32_t nameCapacity, uint32_t dataCapacity, std::string* name,
                 sys::RegData* data) override {
    ++calls;
    return inner_.EnumValue(key, index, nameCapacity, dataCapacity, name, data);
  }
  long QueryKeyCounts(sys::RegKey key, uint32_t* subKeys, uint32_t* values) override {
    ++calls;
    return inner_.QueryKeyCounts(key, subKeys, values);
  }
  long SetValue(sys::RegKey key, const std::string& name, uint32_t type, const std::string& bytes) override {
    ++calls;
    return inner_.SetValue(key, name, type, bytes);
  }
  long RemoveValue(sys::RegKey key, const std::string& name) override {
    ++calls;
    return inner_.RemoveValue(key, name);
  }
  long RemoveKey(sys::RegKey parent, const std::string& subKey) override {
    ++calls;
    return inner_.RemoveKey(parent, subKey);
  }
  long RemoveTree(sys::RegKey key, const std::string& subKey) override {
    ++calls;
    return inner_.RemoveTree(key, subKey);
  }
  long RemoveKeyEx(sys::RegKey parent, const std::string& subKey, uint32_t mask) override {
    ++calls;
    return inner_.RemoveKeyEx(parent, subKey, mask);
  }
  bool IsLink(sys::RegKey parent, const std::string& subKey, uint32_t mask) override {
    ++calls;
    return inner_.IsLink(parent, subKey, mask);
  }

 private:
  sys::RegistryApi& inner_;
  std::mutex mutex_;
  std::set<std::tuple<uintptr_t, std::string, uint32_t>> seen_;
};

enum class Progress { None, RoundTrip, Posted };

// The window state the scan's main-thread steps change, as the registry page does.
struct ScanWindow {
  ui::Form form{"bench", 100, 100};
  ui::Control* label = &form.Add(1, ui::Kind::Label, "labScanInfo", 0, {0, 0, 10, 10});
  ui::Control* list = &form.Add(2, ui::Kind::ListView, "lstvRegistryScan", 0, {0, 0, 10, 10});
  int barPosition = 0;
  long shown = 0;
  void Show(const std::string& item) {
    label->SetText(item);
    barPosition = (barPosition + 1) % 100;
    ++shown;
  }
};

// The scan worker's view: the counting platform, progress per mode, problems
// kept by the worker and the list refreshed on the main thread as the real one does.
class BenchContext : public registry::ScanContext {
 public:
  BenchContext(sys::Platform& platform, sys::Bitness bitness, Progress mode, Dispatcher* dispatcher, ScanWindow* window)
      : platform_(platform),
        registry_(*platform.registry),
        bitness_(bitness),
        systemFolder_(sys::SpecialFolderPath(*platform.shell, 25)),
        mode_(mode),
        dispatcher_(dispatcher),
        window_(window) {}

  sys::Platform& platform() override { return platform_; }
  sys::Registry& registry() override { return registry_; }
  uint32_t access() const override { return sys::AccessMask(bitness_.wow64); }
  sys::Bitness bitness() const override { return bitness_; }
  const std::string& systemFolder() const override { return systemFolder_; }
  bool Stopped() const override { return false; }
  void ShowProgress(const std::string& item) override {
    ++items;
    if (mode_ == Progress::None) return;
    auto t = Clock::now();
    if (mode_ == Progress::RoundTrip) {
      dispatcher_->Call([this, &item] { window_->Show(item); });
    } else {
      ScanWindow* w = window_;
      dispatcher_->Post(w, [w, item] { w->Show(item); });
    }
    progressSeconds += Seconds(t);
  }
  void AddProblem(uint32_t root, const std::string& keyPath, uint32_t access, uint16_t code,
                  const std::string& data, const std::string& valueName, bool unnamedValue = false) override {
    problems.push_back({root, keyPath, valueName, data, code, access});
    if (mode_ != Progress::None) {
      const int rows = static_cast<int>(problems.size());
      auto t = Clock::now();
      dispatcher_->Call([this, rows] { window_->list->SetRowCount(rows); });
      problemSeconds += Seconds(t);
    }
  }
  bool FileExistsWow64(const std::string& path, int mode) override {
    return registry::FileExistsWow64(*platform_.files, bitness_, systemFolder_, path, mode);
  }

  long items = 0;
  double progressSeconds = 0, problemSeconds = 0;  // the worker's time in main-thread steps
  std::vector<registry::TScanRegistry> problems;

 private:
  sys::Platform& platform_;
  sys::Registry registry_;
  sys::Bitness bitness_;
  std::string systemFolder_;
  Progress mode_;
  Dispatcher* dispatcher_;
  ScanWindow* window_;
};

struct Load {
  int classes, fileTypes, services, emptyKeys;
};

bool HasMarker(const std::string& name) { return sys::ToLowerText(name).find("vlbench") != std::string::npos; }

void Key(sys::RegistryApi& api, sys::RegRoot root, const std::string& key, uint32_t mask,
         const std::vector<std::pair<std::string, std::string>>& values = {}) {
  sys::RegKey k = 0;
  if (api.CreateKey(root, key, mask, &k) != sys::kErrSuccess) {
    std::printf("  note: could not create %s\\%s\n", sys::RootShortName(root).c_str(), key.c_str());
    return;
  }
  api.CloseKey(k);
  sys::Registry reg(api);
  for (const auto& v : values) reg.WriteString(root, key, v.first, v.second, mask);
}

const char kServices[] = "SYSTEM\\ControlSet001\\Services";
const char kEmptyBase[] = "Software\\VlBench";

// Removes every planted key: the marked children of the shared keys, and the user's own tree.
void RemoveLoad(sys::RegistryApi& api, uint32_t mask) {
  sys::Registry reg(api);
  const std::pair<sys::RegRoot, std::string> parents[] = {
      {sys::kHKCR, "CLSID"}, {sys::kHKCR, ""}, {sys::kHKLM, kServices}};
  for (const auto& p : parents) {
    std::vector<std::string> names;
    reg.EnumSubKeys(names, p.first, p.second, mask);
    for (const std::string& n : names)
      if (HasMarker(n)) reg.DeleteKey(p.first, p.second.empty() ? n : p.second + "\\" + n, mask);
  }
  reg.DeleteKey(sys::kHKCU, kEmptyBase, mask);
}

// Files the planted data names: some exist, some do not.
struct Files {
  std::vector<std::string> present, missing;
  const std::string& Pick(int i) const {
    // One in eight is missing: the checks file problems as well as pass entries.
    return i % 8 == 7 ? missing[i % missing.size()] : present[i % present.size()];
  }
};

void PlantLoad(sys::RegistryApi& api, uint32_t mask, const Load& load, const Files& files) {
  char id[64];
  for (int i = 0; i < load.classes; ++i) {
    std::snprintf(id, sizeof id, "{VlBench-%08d-0000-0000-000000000000}", i);
    const std::string k = std::string("CLSID\\") + id;
    Key(api, sys::kHKCR, k, mask, {{"", "VlBench class " + std::to_string(i)}});
    Key(api, sys::kHKCR, k + "\\InprocServer32", mask, {{"", files.Pick(i)}, {"ThreadingModel", "Both"}});
    if (i % 4 == 0) Key(api, sys::kHKCR, k + "\\ProgID", mask, {{"", "VlBench.Class." + std::to_string(i)}});
  }
  for (int i = 0; i < load.fileTypes; ++i) {
    const std::string ext = ".vlbench" + std::to_string(i), type = "VlBench.File." + std::to_string(i);
    Key(api, sys::kHKCR, ext, mask, {{"", type}});
    const std::string& path = files.Pick(i + 3);
    Key(api, sys::kHKCR, type, mask, {{"", "VlBench document " + std::to_string(i)}});
    Key(api, sys::kHKCR, type + "\\DefaultIcon", mask, {{"", path + ",0"}});
    Key(api, sys::kHKCR, type + "\\Shell\\open\\Command", mask, {{"", "\"" + path + "\" \"%1\""}});
  }
  for (int i = 0; i < load.services; ++i) {
    const std::string k = std::string(kServices) + "\\VlBench_" + std::to_string(i);
    Key(api, sys::kHKLM, k, mask,
        {{"ImagePath", files.Pick(i + 5)}, {"DisplayName", "VlBench service " + std::to_string(i)}});
    sys::Registry(api).WriteDWord(sys::kHKLM, k, "Start", 4, mask);  // disabled: never started
  }
  for (int i = 0; i < load.emptyKeys; ++i)
    Key(api, sys::kHKCU, std::string(kEmptyBase) + "\\Group" + std::to_string(i / 100) + "\\Key" + std::to_string(i),
        mask);
}

// One scan of all fifteen categories.
double Scan(BenchContext& ctx) {
  auto t = Clock::now();
  for (int c = 0; c < registry::kCategoryCount; ++c) registry::RunCategoryCheck(c, ctx);
  return Seconds(t);
}

// Reads every key the scan opened: its subkeys, its values and their text.
double BareWalk(sys::Registry& reg, const std::vector<CountingRegistry::Opened>& keys, long long* valuesRead) {
  auto t = Clock::now();
  std::vector<std::string> subKeys, names;
  long long found = 0;
  for (const auto& k : keys) {
    reg.EnumSubKeys(subKeys, k.root, k.key, k.mask);
    reg.EnumValueNames(names, k.root, k.key, k.mask);
    for (const std::string& n : names) found += !reg.ReadString(k.root, k.key, n, k.mask).empty();
  }
  *valuesRead = found;
  return Seconds(t);
}

void Figure(const char* what, double seconds, long long calls, double bare) {
  std::printf("  %-36s %8.3f s  %10.0f calls/s  %5.2fx bare walk\n", what, seconds,
              seconds > 0 ? static_cast<double>(calls) / seconds : 0.0, bare > 0 ? seconds / bare : 0.0);
}

// Runs the scan on a worker thread while `pump` serves the main thread until it ends.
template <class Pump>
double ScanOnWorker(BenchContext& ctx, Pump pump) {
  std::atomic<bool> done{false};
  double seconds = 0;
  std::thread worker([&] {
    seconds = Scan(ctx);
    done = true;
  });
  pump(done);
  worker.join();
  return seconds;
}

template <class Pump>
void Run(sys::Platform& base, sys::Bitness bitness, Dispatcher& dispatcher, const Load& load, const Files& files, Pump pump) {
  CountingRegistry counting(*base.registry);
  sys::Platform platform = base;
  platform.registry = &counting;
  const uint32_t mask = sys::AccessMask(bitness.wow64);

  RemoveLoad(*base.registry, mask);
  auto t = Clock::now();
  PlantLoad(*base.registry, mask, load, files);
  std::printf("  planted %d classes, %d file types, %d services, %d empty keys in %.1f s\n", load.classes,
              load.fileTypes, load.services, load.emptyKeys, Seconds(t));

  // A first scan records the keys it opens (and warms up).
  {
    counting.recording = true;
    BenchContext ctx(platform, bitness, Progress::None, nullptr, nullptr);
    Scan(ctx);
    counting.recording = false;
    std::printf("  scan items %ld, problems %zu, distinct keys opened %zu\n", ctx.items, ctx.problems.size(),
                counting.opened.size());
  }

  sys::Registry reg(counting);
  long long values = 0;
  counting.calls = 0;
  double bare = BareWalk(reg, counting.opened, &values);
  long long bareCalls = counting.calls;
  std::printf("  bare walk: %zu keys, %lld values with text\n", counting.opened.size(), values);
  Figure("bare walk (same keys and values)", bare, bareCalls, bare);

  counting.calls = 0;
  BenchContext quiet(platform, bitness, Progress::None, nullptr, nullptr);
  double s = Scan(quiet);
  Figure("scan, no progress", s, counting.calls, bare);

  ScanWindow window;
  counting.calls = 0;
  BenchContext sync(platform, bitness, Progress::RoundTrip, &dispatcher, &window);
  s = ScanOnWorker(sync, pump);
  Figure("scan, progress as round trips", s, counting.calls, bare);
  std::printf("    %ld items shown of %ld; worker waited %.3f s on progress, %.3f s on %zu list refreshes\n",
              window.shown, sync.items, sync.progressSeconds, sync.problemSeconds, sync.problems.size());

  ScanWindow posted;
  counting.calls = 0;
  BenchContext coalesced(platform, bitness, Progress::Posted, &dispatcher, &posted);
  s = ScanOnWorker(coalesced, pump);
  Figure("scan, progress posted (coalesced)", s, counting.calls, bare);
  std::printf("    %ld items shown of %ld (last shown %s); worker spent %.3f s posting, %.3f s on list refreshes\n",
              posted.shown, coalesced.items,
              posted.label->text() == window.label->text() ? "is the last item" : "is NOT the last item",
              coalesced.progressSeconds, coalesced.problemSeconds);

  t = Clock::now();
  RemoveLoad(*base.registry, mask);
  std::printf("  removed the load in %.1f s\n", Seconds(t));
}

}  // namespace
}  // namespace vl::bench

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  auto arg = [&](int i, int d) { return argc > i ? _wtoi(argv[i]) : d; };
#else
int main(int argc, char** argv) {
  auto arg = [&](int i, int d) { return argc > i ? std::atoi(argv[i]) : d; };
#endif
  using namespace vl;
  using namespace vl::bench;
  const Load load{arg(1, 20000), arg(2, 5000), arg(3, 2000), arg(4, 5000)};
  Files files;
  for (int i = 0; i < 4; ++i) files.missing.push_back("C:\\Program Files\\VlBench Missing\\part" + std::to_string(i) + ".dll");
#ifdef _WIN32
  std::printf("Windows build, real registry; Win32 dispatcher with the main thread's message loop\n");
  auto real = sys::MakeWin32Platform();
  sys::Platform& base = real->platform();
  const sys::Bitness bitness = sys::ProcessBitness(*base.system);
  const std::string sys32 = sys::SpecialFolderPath(*base.shell, 25);
  for (const char* f : {"ole32.dll", "shell32.dll", "kernel32.dll", "oleaut32.dll", "notepad.exe"})
    files.present.push_back(sys32 + f);
  win::Win32Dispatcher dispatcher(GetModuleHandleW(nullptr));
  auto pump = [](std::atomic<bool>& done) {
    while (!done) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    // A posted step may still wait for the dispatcher's timer.
    for (auto end = Clock::now() + std::chrono::milliseconds(100); Clock::now() < end;) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
  };
#else
  std::printf("native build, simulated platform; ManualDispatcher pumped by the main thread\n");
  sys::SimPlatform sim;
  sys::Platform& base = sim.platform();
  const sys::Bitness bitness = sys::ProcessBitness(*base.system);
  const std::string sys32 = sys::SpecialFolderPath(*base.shell, 25);
  base.files->CreateFolder("C:\\Program Files\\VlBench");
  for (int i = 0; i < 5; ++i) {
    files.present.push_back("C:\\Program Files\\VlBench\\part" + std::to_string(i) + ".dll");
    base.files->WriteFileBytes(files.present.back(), "x");
  }
  ManualDispatcher dispatcher;
  auto pump = [&dispatcher](std::atomic<bool>& done) {
    while (!done) dispatcher.PumpWait(10);
    dispatcher.Pump();
  };
#endif
  std::printf("  %d-bit process%s, system folder %s\n", static_cast<int>(sizeof(void*) * 8),
              bitness.wow64 ? " under WOW64" : "", sys32.c_str());
  Run(base, bitness, dispatcher, load, files, pump);
  std::fflush(stdout);
  return 0;
}
