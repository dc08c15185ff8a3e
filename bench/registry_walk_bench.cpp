// How fast the registry backend walks a large key, and what one
// progress-sized main-thread step costs through the dispatcher. Natively the
// simulated registry and ManualDispatcher; in the Windows build the real
// registry and the Win32 dispatcher (SendMessage to a message-only window).
// Prints figures only.
// Usage: vl_registry_walk_bench [subkeys] [round trips]
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ui/dispatcher.h"
#include "ui/ui_model.h"
#include "sysaccess/registry.h"

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

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

void Line(const char* what, double ops, double seconds, const char* unit) {
  std::printf("  %-34s %10.0f %s/s  (%.2f us each, %.0f in %.3f s)\n", what, seconds > 0 ? ops / seconds : 0.0,
              unit, ops ? seconds * 1e6 / ops : 0.0, ops, seconds);
}

// A scratch key below HKCU, removed before and after.
const char kBenchKey[] = "Software\\VantorelBench\\Walk";

void RegistryFigures(sys::RegistryApi& api, int subkeys) {
  sys::Registry reg(api);
  const uint32_t mask = sys::kMaskAll;
  reg.DeleteKey(sys::kHKCU, kBenchKey, mask);

  auto t = Clock::now();
  for (int i = 0; i < subkeys; ++i) {
    std::string key = std::string(kBenchKey) + "\\Item" + std::to_string(i);
    sys::RegKey created = 0;
    if (api.CreateKey(sys::kHKCU, key, mask, &created) == sys::kErrSuccess) api.CloseKey(created);
    reg.WriteString(sys::kHKCU, key, "Path", "C:\\Program Files\\App" + std::to_string(i) + "\\app.exe", mask);
    reg.WriteString(sys::kHKCU, key, "Name", "Application number " + std::to_string(i), mask);
  }
  Line("create (key + 2 values per subkey)", 3.0 * subkeys, Seconds(t), "ops");

  // The walk a scan does: list the subkeys, then each one's values and data.
  t = Clock::now();
  std::vector<std::string> keys, names;
  long ops = 0, found = 0;
  reg.EnumSubKeys(keys, sys::kHKCU, kBenchKey, mask);
  ++ops;
  for (const std::string& k : keys) {
    std::string key = std::string(kBenchKey) + "\\" + k;
    names.clear();
    reg.EnumValueNames(names, sys::kHKCU, key, mask);
    ++ops;
    for (const std::string& n : names) {
      found += !reg.ReadString(sys::kHKCU, key, n, mask).empty();
      ++ops;
    }
  }
  double walk = Seconds(t);
  Line("walk (EnumSubKeys/EnumValueNames/ReadString)", static_cast<double>(ops), walk, "ops");
  Line("walk, per subkey", static_cast<double>(keys.size()), walk, "keys");
  if (static_cast<int>(keys.size()) != subkeys || found != 2L * subkeys)
    std::printf("  note: walked %zu subkeys and %ld values, expected %d and %d\n", keys.size(), found, subkeys,
                2 * subkeys);

  t = Clock::now();
  reg.DeleteKey(sys::kHKCU, kBenchKey, mask);
  Line("delete the tree", static_cast<double>(subkeys), Seconds(t), "keys");
  reg.DeleteKey(sys::kHKCU, "Software\\VantorelBench", mask);
}

// The step a scan worker sends once per item: the current item into the
// status line of the window model.
struct ProgressStep {
  ui::Form form{"bench", 100, 100};
  ui::Control* label = &form.Add(1, ui::Kind::Label, "labScanInfo", 0, {0, 0, 10, 10});
  void operator()(int i) { label->SetText("HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID\\item " + std::to_string(i)); }
};

double DirectCalls(ProgressStep& step, int count) {
  auto t = Clock::now();
  for (int i = 0; i < count; ++i) step(i);
  return Seconds(t);
}

// Runs `count` steps from a worker thread; `pump` keeps the main thread
// serving steps until `done` is set.
template <class Pump>
double RoundTrips(Dispatcher& d, ProgressStep& step, int count, Pump pump) {
  std::atomic<bool> done{false};
  auto t = Clock::now();
  std::thread worker([&] {
    for (int i = 0; i < count; ++i) d.Call([&step, i] { step(i); });
    done = true;
  });
  pump(done);
  worker.join();
  return Seconds(t);
}

void DispatcherFigures(const char* name, double trips, double direct, int count) {
  Line(name, count, trips, "trips");
  Line("same step called directly (floor)", count, direct, "calls");
  if (direct > 0) std::printf("  round trip / direct call: %.1fx\n", trips / direct);
}

}  // namespace
}  // namespace vl::bench

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  int subkeys = argc > 1 ? _wtoi(argv[1]) : 20000;
  int trips = argc > 2 ? _wtoi(argv[2]) : 20000;
#else
int main(int argc, char** argv) {
  int subkeys = argc > 1 ? std::atoi(argv[1]) : 20000;
  int trips = argc > 2 ? std::atoi(argv[2]) : 100000;
#endif
  using namespace vl;
  using namespace vl::bench;
  ProgressStep step;
#ifdef _WIN32
  std::printf("Windows build, real registry (%s)\n", "advapi32");
  auto platform = sys::MakeWin32Platform();
  RegistryFigures(*platform->platform().registry, subkeys);
  std::printf("Win32 dispatcher: SendMessage to a message-only window, worker std::thread\n");
  win::Win32Dispatcher dispatcher(GetModuleHandleW(nullptr));
  double t = RoundTrips(dispatcher, step, trips, [](std::atomic<bool>& done) {
    // The main thread's message loop serves the sent messages.
    while (!done) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
  });
#else
  std::printf("native build, simulated registry\n");
  sys::SimPlatform sim;
  RegistryFigures(*sim.platform().registry, subkeys);
  std::printf("ManualDispatcher: worker std::thread, main thread pumping\n");
  ManualDispatcher dispatcher;
  double t = RoundTrips(dispatcher, step, trips, [&dispatcher](std::atomic<bool>& done) {
    while (!done) dispatcher.PumpWait(10);
    dispatcher.Pump();
  });
#endif
  DispatcherFigures("progress step round trip", t, DirectCalls(step, trips), trips);
  std::fflush(stdout);
  return 0;
}
