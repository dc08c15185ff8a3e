// The main window's model (frmMain): its controls, the page switch, the
// start-up sequence, closing rules and the state it shares with workers.
// Feature folders add their pages through RegisterPage and their start-up
// work through AddStartupStep.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "ui/jobs.h"
#include "ui/ports.h"
#include "ui/ui_model.h"
#include "sysaccess/platform.h"

namespace vl {

// One record of the shared scan result list; each scanner derives its own.
struct ScanRecord {
  virtual ~ScanRecord() = default;
};

// A feature's state and handlers (the registry cleaner, the junk cleaner ...),
// owned by the main window and living as long as it.
class Feature {
 public:
  virtual ~Feature() = default;
};

class MainForm {
 public:
  static constexpr int kWidth = 757;
  static constexpr int kHeight = 555;
  static constexpr int kPageTop = 120;     // the page control's top edge
  static constexpr int kPageHeight = 411;  // down to the bottom strip

  MainForm(sys::Platform& platform, UiPorts& ports, JobRunner& runner);
  ~MainForm();
  MainForm(const MainForm&) = delete;
  MainForm& operator=(const MainForm&) = delete;

  ui::Form& form() { return form_; }
  ui::Control& control(id::ControlId id) { return form_.Get(id); }
  sys::Platform& platform() { return platform_; }
  UiPorts& ports() { return ports_; }
  JobRunner& runner() { return runner_; }

  // --- page flow -------------------------------------------------------------
  using PageWork = std::function<void()>;
  // Page code → tab sheet and the work the switch does (fixed texts, loading).
  void RegisterPage(int code, int sheet, PageWork work = {});
  void ShowPage(int code);
  int currentPage() const { return currentPage_; }

  // --- worker protocol ---------------------------------------------------------
  void EnterBusyState();
  void LeaveBusyState();
  // Runs at the end of every LeaveBusyState (the program releases its
  // machine-wide job guard there).
  std::function<void()> onLeaveBusy;
  bool busy() const { return stopFlag.load() == 0; }
  // 1 = idle or asked to stop, 0 = a job runs. Workers read it at the head of their loops.
  std::atomic<uint8_t> stopFlag{1};
  std::atomic<int32_t> runningScans{0};
  sys::Bitness bitness;
  bool backupBeforeRepair = true;
  bool backupBeforeOptimize = true;
  std::vector<std::unique_ptr<ScanRecord>> scanResults;
  // The Stop buttons of the scan pages (imgJunkStopClick).
  void imgJunkStopClick() { stopFlag.store(1); }

  // --- lifecycle ---------------------------------------------------------------
  void FormCreate();
  // First show only: runs the start-up sequence.
  void FormShow();
  // True when the window may close; refuses with a message while a job runs.
  bool FormCloseQuery();
  // Whether the tray icon keeps the window hidden at start ("Startup Minimize").
  bool CoolTrayIconStartup();
  // Keeps a feature alive with the window; returns it.
  template <typename T>
  T& AddFeature(std::unique_ptr<T> feature) {
    T& ref = *feature;
    features_.push_back(std::move(feature));
    return ref;
  }
  // Start-up work of the features, run by FormShow in ascending `order`
  // (the steps of the start-up sequence, 1 to 9).
  void AddStartupStep(int order, std::function<void()> step);

  // --- handlers ----------------------------------------------------------------
  void imgCloseClick() { ports_.CloseMainWindow(); }
  void imgMinClick() { ports_.HideMainWindow(); }
  void Kestrune1Click() { ports_.ShowMainWindow(); }

  // Runs a handler; an error it raises is shown in a message box and the
  // action is abandoned (the application's default error handler).
  void Guard(const std::function<void()>& handler);
  void ShowError(const std::string& text);

  // Hover pictures and underlines: the one shared pair of handlers.
  void MouseEnter(ui::Control& c) { c.SetHovered(true); }
  void MouseLeave(ui::Control& c) { c.SetHovered(false); }

  // --- data --------------------------------------------------------------------
  const std::string& appDir() const { return platform_.appDir; }
  const std::string& dataDbPath() const { return dataDbPath_; }
  const std::string& settingsPath() const { return settingsPath_; }
  int systemLanguage = 0x0409;
  // Full path of the running program (the run-at-startup value holds it).
  std::string exePath;
  // Starts the update check (joined by the composition root); with the wait
  // window shown modally until the check ends.
  std::function<void(bool withWait)> startUpdateCheck;
  // Whether an action that trusts Vantorel's own files (an update, a
  // restore, a move clean) may run. The composition root joins it to the
  // check of who may change those files, which also tells the user why not.
  std::function<bool(const std::string& action)> ownFilesGate;
  bool MayTrustOwnFiles(const std::string& action) { return !ownFilesGate || ownFilesGate(action); }
  const std::string verb = "open";

 private:
  void BuildFrame();
  void HighlightTopButton(int page);

  sys::Platform& platform_;
  UiPorts& ports_;
  JobRunner& runner_;
  ui::Form form_;
  struct Page {
    int sheet;
    PageWork work;
  };
  std::map<int, Page> pages_;
  std::multimap<int, std::function<void()>> startup_;
  std::vector<std::unique_ptr<Feature>> features_;
  int currentPage_ = 0;
  bool firstShow_ = false;
  std::string dataDbPath_, settingsPath_;
};

}  // namespace vl
