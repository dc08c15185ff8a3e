// Test doubles for the window's ports: message boxes answered from a script
// and recorded; a wait window that pumps the test dispatcher until closed;
// modal forms driven by the test's scripts.
#pragma once
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "ui/dispatcher.h"
#include "ui/ports.h"
#include "ui/ui_model.h"

namespace vl::testing {

struct ShownMessage {
  std::string text, caption;
  MsgButtons buttons;
  MsgIcon icon;
};

struct ShownSaveDialog {
  std::string defaultName, defaultExt, filter;
};

class ScriptedPorts : public UiPorts {
 public:
  explicit ScriptedPorts(ManualDispatcher& dispatcher) : dispatcher_(dispatcher) {}
  MsgAnswer ShowMessage(const std::string& text, const std::string& caption, MsgButtons buttons,
                        MsgIcon icon) override;
  std::string SaveFileDialog(const std::string& defaultName, const std::string& defaultExt,
                             const std::string& filter) override;
  void ShowWaitModal() override;
  void CloseWait() override { waitOpen = false; }
  // Runs the next script of `formScripts` on the shown form (it plays the
  // user: types, clicks, ends the form), then pumps main-thread steps until
  // the form ended. Without a script the user closes the form (kModalCancel).
  int ShowModalForm(ui::Form& form) override;
  void HideMainWindow() override { mainVisible = false; }
  void ShowMainWindow() override { mainVisible = true; }
  void CloseMainWindow() override { closeRequests++; }

  std::vector<ShownMessage> messages;
  std::deque<MsgAnswer> answers;  // next answers; Ok/Yes when empty
  std::vector<ShownSaveDialog> saveDialogs;
  std::deque<std::string> saveAnswers;  // chosen file names; "" or none left = cancelled
  bool waitOpen = false;
  int waitShown = 0;
  std::deque<std::function<void(ui::Form&)>> formScripts;
  std::vector<std::string> formsShown;  // their titles, in order
  bool mainVisible = true;
  int closeRequests = 0;

 private:
  ManualDispatcher& dispatcher_;
};

}  // namespace vl::testing
