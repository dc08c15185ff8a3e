#include "update/updater_form.h"

#include "ui/page_builder.h"
#include "update/updater_ids.h"

namespace vl::update {

UpdaterForm::UpdaterForm(const sys::Platform& platform, UiPorts& ports, std::function<void()> processMessages,
                         std::function<void()> closeWindow, UpdaterSequence::Timing timing)
    : ports_(ports),
      processMessages_(std::move(processMessages)),
      closeWindow_(std::move(closeWindow)),
      sequence_(platform, ports, *this, std::move(timing)) {
  using ui::Kind;
  ui::Control& list = form_.Add(uid::lstvDownload, Kind::ListView, "lstvDownload", 0, {8, 8, 424, 160});
  list.columns = {{"File Name", 200, ui::Align::Left}, {"downloads", 90, ui::Align::Center}};
  list.rowProvider = [this](int row, int col) {
    ui::Cell cell;
    if (row >= 0 && row < static_cast<int>(rows_.size())) cell.text = col == 0 ? rows_[row].first : rows_[row].second;
    return cell;
  };
  form_.Add(uid::Gauge, Kind::Progress, "Gauge", 0, {8, 178, 424, 14});
  ui::Control& update = form_.Add(uid::sbtnUpdate, Kind::ImageButton, "sbtnUpdate", 0, {232, 202, 96, 32}, "Update");
  update.SetHighlighted(true);
  update.onClick = [this] { sbtnUpdateClick(); };
  ui::Control& cancel = form_.Add(uid::sbtnCancel, Kind::ImageButton, "sbtnCancel", 0, {336, 202, 96, 32}, "Cancel");
  cancel.onClick = [this] { sbtnCancelClick(); };
}

void UpdaterForm::sbtnUpdateClick() {
  // The button is disabled while a run is under way; a click that still
  // arrives (queued before the disable) starts nothing.
  if (sequence_.running()) return;
  sequence_.Run();
  if (closeAfterRun_ && !closed_) CloseWindow();
}

void UpdaterForm::sbtnCancelClick() { ports_.CloseMainWindow(); }

bool UpdaterForm::FormCloseQuery() {
  if (closed_ || !sequence_.running()) return true;
  if (closeAfterRun_) return false;  // already answered; the run is winding down
  if (ports_.ShowMessage(kAbortQuestion, UpdaterSequence::kCaption, MsgButtons::YesNo, MsgIcon::Question) !=
      MsgAnswer::Yes)
    return false;
  sequence_.Cancel();
  closeAfterRun_ = true;
  return false;
}

int UpdaterForm::AddRow(const std::string& fileName, const std::string& downloads) {
  rows_.emplace_back(fileName, downloads);
  form_.Get(uid::lstvDownload).SetRowCount(static_cast<int>(rows_.size()));
  return static_cast<int>(rows_.size()) - 1;
}

void UpdaterForm::SetRowDownloads(int row, const std::string& text) {
  if (row < 0 || row >= static_cast<int>(rows_.size()) || rows_[row].second == text) return;
  rows_[row].second = text;
  form_.Get(uid::lstvDownload).Repaint();
}

void UpdaterForm::SetGaugeMaximum(int maximum) { form_.Get(uid::Gauge).SetMaximum(maximum); }
void UpdaterForm::SetGaugePosition(int position) { form_.Get(uid::Gauge).SetPosition(position); }
void UpdaterForm::SetUpdateEnabled(bool enabled) { form_.Get(uid::sbtnUpdate).SetEnabled(enabled); }

void UpdaterForm::ProcessMessages() {
  if (processMessages_) processMessages_();
}

void UpdaterForm::CloseWindow() {
  closed_ = true;
  if (closeWindow_) closeWindow_();
}

}  // namespace vl::update
