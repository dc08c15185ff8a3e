// The junk scan over a generated tree, against a bare walk of the same tree
// in the same run: natively a readdir walk that stats every entry, in the
// Windows build a FindFirstFileW walk. Also the scan with its progress
// shown through a dispatcher (as the window does) and the memory the found
// files hold. Prints figures only.
// Usage: vl_junk_scan_bench generate HOSTDIR   (native build: makes the tree)
//        vl_junk_scan_bench scan FOLDER        (host folder natively, C:\... under Windows)
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "junk_cleaner/junk_engine.h"
#include "store/seed_data.h"
#include "ui/dispatcher.h"
#include "ui/ui_model.h"

#ifdef _WIN32
#include <windows.h>
#include <psapi.h>

#include "sysaccess/win32/wide.h"
#include "sysaccess/win32/win32_platform.h"
#include "ui/win32/win32_ports.h"
#else
#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "sysaccess/sim/sim_platform.h"
#endif

namespace vl::bench {
namespace {

using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

constexpr int kTopFolders = 100;
constexpr int kSubFolders = 99;  // 100 + 100 * 99 = 10,000 folders
constexpr int kFilesPerFolder = 20;  // 200,000 files
constexpr int kMatches = 6000;

std::vector<std::string> SeedMasks() {
  std::vector<std::string> masks;
  for (const auto& s : store::kJunkSeeds) masks.push_back(s.mask);
  return masks;
}

// A name that `mask` matches: "*" becomes a number, "?" a digit, a set its first member.
[[maybe_unused]] std::string NameFor(const std::string& mask, int n) {  // the tree is made natively
  std::string out;
  for (size_t i = 0; i < mask.size(); ++i) {
    char c = mask[i];
    if (c == '*') out += "j" + std::to_string(n);
    else if (c == '?') out += char('0' + n % 10);
    else if (c == '[') {
      out += mask[i + 1];
      i = mask.find(']', i);
    } else out += c;
  }
  return out;
}

class QuietContext : public junk::JunkContext {
 public:
  bool Stopped() const override { return false; }
  void ShowHint(const std::string&) override {}
  void StateChanged() override {}
};

// The scan page's state, changed on the main thread as the window's steps do.
struct ScanWindow {
  ui::Form form{"bench", 100, 100};
  ui::Control* hint = &form.Add(1, ui::Kind::Label, "panJunk_Scan_Hint", 0, {0, 0, 10, 10});
  ui::Control* list = &form.Add(2, ui::Kind::ListView, "lstvJunkScan", 0, {0, 0, 10, 10});
  long shown = 0;
};

class WindowContext : public junk::JunkContext {
 public:
  WindowContext(Dispatcher& d, ScanWindow& w) : d_(d), w_(w) {}
  bool Stopped() const override { return false; }
  void ShowHint(const std::string& text) override {
    ScanWindow* w = &w_;
    d_.Post(w, [w, text] {
      w->hint->SetText(text);
      ++w->shown;
    });
  }
  void StateChanged() override {
    ScanWindow* w = &w_;
    d_.Call([w] { w->list->Repaint(); });
  }
  long posted = 0;

 private:
  Dispatcher& d_;
  ScanWindow& w_;
};

struct ScanFigures {
  double seconds = 0;
  int32_t found = 0;
  size_t heldBytes = 0;  // what the group's records hold
};

ScanFigures Scan(sys::FileSystem& files, const std::string& root, junk::JunkContext& ctx,
                 const junk::ProtectedFolders* protect = nullptr) {
  junk::TSearchJunk group("bench", root);
  junk::MaskList masks(SeedMasks());
  auto t = Clock::now();
  ScanFigures f;
  f.found = junk::ScanGroups(files, {&group}, masks, ctx, protect);
  f.seconds = Seconds(t);
  f.heldBytes = group.files.capacity() * sizeof(junk::TScanResultBye) + group.folders.capacity() * sizeof(std::string);
  for (const auto& r : group.files) f.heldBytes += r.name.capacity() > 15 ? r.name.capacity() + 1 : 0;
  for (const auto& s : group.folders) f.heldBytes += s.capacity() + 1;
  return f;
}

void Figure(const char* what, double seconds, double floor) {
  std::printf("  %-44s %8.3f s   %5.2fx the bare walk\n", what, seconds, floor > 0 ? seconds / floor : 0.0);
}

size_t PeakMemory() {
#ifdef _WIN32
  PROCESS_MEMORY_COUNTERS pmc{};
  GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
  return pmc.PeakWorkingSetSize;
#else
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<size_t>(u.ru_maxrss) * 1024;
#endif
}

#ifdef _WIN32
long long BareWalk(const std::wstring& folder) {
  WIN32_FIND_DATAW d;
  HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &d);
  if (h == INVALID_HANDLE_VALUE) return 0;
  long long n = 0;
  do {
    if (d.cFileName[0] == L'.' && (!d.cFileName[1] || (d.cFileName[1] == L'.' && !d.cFileName[2]))) continue;
    ++n;
    if ((d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(d.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
      n += BareWalk(folder + L"\\" + d.cFileName);
  } while (FindNextFileW(h, &d));
  FindClose(h);
  return n;
}
#else
long long BareWalk(const std::string& folder) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return 0;
  long long n = 0;
  while (dirent* e = readdir(dir)) {
    if (e->d_name[0] == '.' && (!e->d_name[1] || (e->d_name[1] == '.' && !e->d_name[2]))) continue;
    struct stat st;
    if (fstatat(dirfd(dir), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    ++n;
    if (S_ISDIR(st.st_mode)) n += BareWalk(folder + "/" + e->d_name);
  }
  closedir(dir);
  return n;
}

int Generate(const std::string& root) {
  namespace fs = std::filesystem;
  if (fs::exists(root + "/.complete")) {
    std::printf("tree %s exists\n", root.c_str());
    return 0;
  }
  fs::remove_all(root);
  const std::vector<std::string> masks = SeedMasks();
  const char* plain[] = {"txt", "dll", "png", "exe", "cpp", "h", "html", "js", "json", "xml", "jpg", "pdf", "ini"};
  const long total = static_cast<long>(kTopFolders) * (1 + kSubFolders) * kFilesPerFolder;
  // Every total/kMatches-th file (the order shuffled by a fixed multiplier) is junk.
  const long step = total / kMatches;
  uint32_t rng = 12345;
  long index = 0;
  for (int a = 0; a < kTopFolders; ++a) {
    for (int b = -1; b < kSubFolders; ++b) {
      std::string folder = root + "/top" + std::to_string(a) + (b < 0 ? "" : "/sub" + std::to_string(b));
      fs::create_directories(folder);
      for (int i = 0; i < kFilesPerFolder; ++i, ++index) {
        rng = rng * 1103515245u + 12345u;
        const long slot = (index * 7919) % total;
        std::string name = slot % step == 0 && slot / step < kMatches
                               ? NameFor(masks[(slot / step) % masks.size()], static_cast<int>(index))
                               : "f" + std::to_string(index) + "." + plain[(rng >> 16) % 13];
        std::ofstream(folder + "/" + name) << "0123456789";
      }
    }
  }
  std::ofstream(root + "/.complete");
  std::printf("generated %ld files in %d folders under %s\n", total, kTopFolders * (1 + kSubFolders), root.c_str());
  return 0;
}
#endif

template <class Pump>
void Run(sys::FileSystem& files, const std::string& root, std::function<double()> bare, Dispatcher& dispatcher,
         Pump pump) {
  double floor = 1e9;
  for (int i = 0; i < 3; ++i) floor = std::min(floor, bare());
  Figure("bare walk, best of 3", floor, floor);

  QuietContext quiet;
  ScanFigures best;
  best.seconds = 1e9;
  const size_t before = PeakMemory();
  for (int i = 0; i < 3; ++i) {
    ScanFigures f = Scan(files, root, quiet);
    if (f.seconds < best.seconds) best = f;
  }
  const size_t peak = PeakMemory();
  Figure("junk scan (engine alone), best of 3", best.seconds, floor);
  std::printf("    %d files found (goal 6000)\n", best.found);
  if (best.found > 0) {
    std::printf("    memory per found file: %.0f bytes held by the records, %.0f bytes of peak working set growth"
                " (goal <= 200)\n",
                static_cast<double>(best.heldBytes) / best.found,
                static_cast<double>(peak > before ? peak - before : 0) / best.found);
  }

  // The protected places of a real machine, none of them in the tree: what
  // the test costs every folder entered.
  junk::ProtectedFolders protect;
  for (const char* f : {"C:\\Windows\\", "C:\\Program Files\\", "C:\\Program Files (x86)\\",
                        "C:\\ProgramData\\Microsoft\\", "C:\\Program Files\\Vantorel\\"})
    protect.Add(junk::ProtectedFolder{f, {std::string(f) + "Temp\\"}});
  for (int u = 0; u < 8; ++u) {
    const std::string w = "C:\\Users\\user" + std::to_string(u) + "\\AppData\\Local\\Microsoft\\Windows\\";
    protect.Add(junk::ProtectedFolder{w, {w + "INetCache\\", w + "Explorer\\"}});
  }
  double guarded = 1e9;
  for (int i = 0; i < 3; ++i) guarded = std::min(guarded, Scan(files, root, quiet, &protect).seconds);
  Figure("junk scan with 13 protected folders", guarded, floor);
  std::printf("    %.3fx the engine alone (goal: no measurable cost)\n",
              best.seconds > 0 ? guarded / best.seconds : 0.0);

  double windowBest = 1e9;
  long shown = 0;
  for (int i = 0; i < 3; ++i) {
    ScanWindow window;
    WindowContext ctx(dispatcher, window);
    std::atomic<bool> done{false};
    double seconds = 0;
    std::thread worker([&] {
      seconds = Scan(files, root, ctx).seconds;
      done = true;
    });
    pump(done);
    worker.join();
    if (seconds < windowBest) {
      windowBest = seconds;
      shown = window.shown;
    }
  }
  Figure("junk scan with the window's progress", windowBest, floor);
  std::printf("    %.2fx the engine alone (goal <= 1.1); %ld folder hints painted\n",
              best.seconds > 0 ? windowBest / best.seconds : 0.0, shown);
}

}  // namespace
}  // namespace vl::bench

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  using namespace vl;
  using namespace vl::bench;
  if (argc < 3 || std::wstring(argv[1]) != L"scan") {
    std::printf("usage: vl_junk_scan_bench scan C:\\folder\n");
    return 2;
  }
  const std::wstring wroot = argv[2];
  const std::string root = sys::win32::Narrow(wroot);
  std::printf("Windows build, real file system (%s); Win32 dispatcher with the main thread's message loop\n",
              root.c_str());
  auto real = sys::MakeWin32Platform();
  win::Win32Dispatcher dispatcher(GetModuleHandleW(nullptr));
  auto pump = [](std::atomic<bool>& done) {
    MSG msg;
    while (!done) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
  };
  Run(*real->platform().files, root, [&] {
    auto t = Clock::now();
    BareWalk(wroot);
    return Seconds(t);
  }, dispatcher, pump);
  std::fflush(stdout);
  return 0;
}
#else
int main(int argc, char** argv) {
  using namespace vl;
  using namespace vl::bench;
  if (argc < 3) {
    std::printf("usage: vl_junk_scan_bench generate|scan HOSTDIR\n");
    return 2;
  }
  const std::string mode = argv[1];
  const std::string host = std::filesystem::absolute(argv[2]).string();
  if (mode == "generate") return Generate(host);
  std::printf("native build, simulated platform (T: is %s); ManualDispatcher pumped by the main thread\n",
              host.c_str());
  sys::SimPlatform sim;
  sys::SimDrive tree;
  tree.hostRoot = host;
  sim.MapDrive('T', tree);
  ManualDispatcher dispatcher;
  auto pump = [&dispatcher](std::atomic<bool>& done) {
    while (!done) dispatcher.PumpWait(10);
    dispatcher.Pump();
  };
  Run(sim.files(), "T:", [&] {
    auto t = Clock::now();
    BareWalk(host);
    return Seconds(t);
  }, dispatcher, pump);
  std::fflush(stdout);
  return 0;
}
#endif
