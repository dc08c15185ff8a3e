// The updater's update sequence (Update.exe's sbtnUpdateClick): fetch the
// manifest, download, inflate and verify the newest Vantorel.exe, stop the
// running Vantorel of this application folder, put the new one in place,
// record the time in data.db and offer to start it. Portable: the window is
// reached through UpdaterView, the boxes through UiPorts, the machine
// through the platform.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "sysaccess/platform.h"
#include "ui/ports.h"

namespace vl::update {

// What the sequence asks of the updater's window.
class UpdaterView {
 public:
  virtual ~UpdaterView() = default;
  // Adds a row at the end of lstvDownload; its index.
  virtual int AddRow(const std::string& fileName, const std::string& downloads) = 0;
  // The "downloads" column of a row.
  virtual void SetRowDownloads(int row, const std::string& text) = 0;
  virtual void SetGaugeMaximum(int maximum) = 0;
  virtual void SetGaugePosition(int position) = 0;
  virtual void SetUpdateEnabled(bool enabled) = 0;
  // Handles the window messages that are waiting (the window stays
  // responsive while a download blocks its thread).
  virtual void ProcessMessages() = 0;
  // Closes the window without the abort question; the program then ends.
  virtual void CloseWindow() = 0;
};

// How the sequence ended, for tests and the window.
enum class UpdaterEnd {
  kNone,             // not run yet
  kFailed,           // a failure message was shown; the button is enabled again
  kDeclined,         // No to "To update you identified?"
  kAbandoned,        // cancelled by the close question
  kInstallFailed,    // "Application upgrade failure!", the window closed
  kInstalled,        // the new program is in place, the window closed
};

class UpdaterSequence {
 public:
  // Waits of the stop of the running Vantorel; tests make them instant.
  struct Timing {
    uint32_t graceMs = 3000;     // after asking the windows to close
    uint32_t pollMs = 100;       // how often the process list is looked at meanwhile
    uint32_t pauseMs = 1000;     // after each process that had to be ended
    std::function<void(uint32_t ms)> sleep;  // default: the thread sleeps
  };

  UpdaterSequence(const sys::Platform& platform, UiPorts& ports, UpdaterView& view);
  UpdaterSequence(const sys::Platform& platform, UiPorts& ports, UpdaterView& view, Timing timing);

  // The whole sequence; does nothing while a run is under way.
  void Run();
  bool running() const { return running_; }
  // Set by the close question's Yes: the running download stops and the
  // sequence ends without a message.
  void Cancel() { cancel_ = true; }
  bool cancelled() const { return cancel_; }
  UpdaterEnd end() const { return end_; }

  // Texts of the window's boxes.
  static constexpr const char* kCaption = "Vantorel";
  static constexpr const char* kNoFolder = "Can not create directory!";
  static constexpr const char* kNoServer = "Connects to the server failure!";
  static constexpr const char* kNoDocument = "Read the document failed!";
  static constexpr const char* kNoUpgradeFile = "Access to the upgrade file failure!";
  static constexpr const char* kBadDownload = "Download upgrade failure!";
  static constexpr const char* kInstallFailed = "Application upgrade failure!";
  static constexpr const char* kConfirm = "To update you identified?";
  static constexpr const char* kCompleted = "OK, Update Completed!\rClick Yes Button to run now?";

 private:
  enum class Fetch { kOk, kFailed, kCancelled };
  Fetch Download(const std::string& url, const std::string& path, uint64_t maxBytes);
  void Fail(const std::string& text);
  void StopRunningProgram();
  void RecordUpdateTime();
  void Sleep(uint32_t ms);

  const sys::Platform& platform_;
  UiPorts& ports_;
  UpdaterView& view_;
  Timing timing_;
  bool running_ = false;
  bool cancel_ = false;
  UpdaterEnd end_ = UpdaterEnd::kNone;
};

}  // namespace vl::update
