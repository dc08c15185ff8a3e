// The updater's window as data (TfrmUpdate): the download list, the gauge
// and the two buttons, the close question, and the update sequence behind
// the Update button. Update.exe binds it to a real window; native tests
// drive it directly.
#pragma once
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "sysaccess/platform.h"
#include "ui/ports.h"
#include "ui/ui_model.h"
#include "update/updater_sequence.h"

namespace vl::update {

class UpdaterForm : public UpdaterView {
 public:
  // `processMessages` handles the window's waiting messages; `closeWindow`
  // destroys the window (the program ends) without asking.
  UpdaterForm(const sys::Platform& platform, UiPorts& ports, std::function<void()> processMessages,
              std::function<void()> closeWindow, UpdaterSequence::Timing timing = {});

  // The client area the controls are laid out in.
  static constexpr int kClientWidth = 440;
  static constexpr int kClientHeight = 245;

  ui::Form& form() { return form_; }
  UpdaterSequence& sequence() { return sequence_; }
  const std::vector<std::pair<std::string, std::string>>& rows() const { return rows_; }

  void sbtnUpdateClick();
  void sbtnCancelClick();
  // Whether the window may close now. While the sequence runs the user is
  // asked; Yes stops the download, and the window closes once the sequence
  // has let go of it.
  bool FormCloseQuery();
  static constexpr const char* kAbortQuestion = "File not download Completed, Aborted?";

  // UpdaterView
  int AddRow(const std::string& fileName, const std::string& downloads) override;
  void SetRowDownloads(int row, const std::string& text) override;
  void SetGaugeMaximum(int maximum) override;
  void SetGaugePosition(int position) override;
  void SetUpdateEnabled(bool enabled) override;
  void ProcessMessages() override;
  void CloseWindow() override;
  bool closed() const { return closed_; }

 private:
  UiPorts& ports_;
  std::function<void()> processMessages_, closeWindow_;
  ui::Form form_{"Update", kClientWidth, kClientHeight};
  std::vector<std::pair<std::string, std::string>> rows_;
  UpdaterSequence sequence_;
  bool closeAfterRun_ = false;
  bool closed_ = false;
};

}  // namespace vl::update
