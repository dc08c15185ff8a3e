// Test doubles for the window's ports: message boxes answered from a script
// and recorded; a wait window that pumps the test dispatcher until closed.
#pragma once
#include <deque>
#include <string>
#include <vector>

#include "ui/dispatcher.h"
#include "ui/ports.h"

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
  void HideMainWindow() override { mainVisible = false; }
  void ShowMainWindow() override { mainVisible = true; }
  void CloseMainWindow() override { closeRequests++; }

  std::vector<ShownMessage> messages;
  std::deque<MsgAnswer> answers;  // next answers; Ok/Yes when empty
  std::vector<ShownSaveDialog> saveDialogs;
  std::deque<std::string> saveAnswers;  // chosen file names; "" or none left = cancelled
  bool waitOpen = false;
  int waitShown = 0;
  bool mainVisible = true;
  int closeRequests = 0;

 private:
  ManualDispatcher& dispatcher_;
};

}  // namespace vl::testing
