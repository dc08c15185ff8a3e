// What the window model asks of the windowing system besides its controls:
// message boxes, the save dialog, the modal wait window, modal forms, hiding
// and closing the main window.
// The Win32 program implements it with real dialogs; native tests script it.
#pragma once
#include <string>

namespace vl {

namespace ui {
class Form;
}

// YesNoDefaultNo: Yes and No with No as the default button (Enter answers No).
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoDefaultNo };
enum class MsgIcon { None, Information, Warning, Error, Question };
enum class MsgAnswer { Ok, Cancel, Yes, No };

class UiPorts {
 public:
  virtual ~UiPorts() = default;
  virtual MsgAnswer ShowMessage(const std::string& text, const std::string& caption,
                                MsgButtons buttons, MsgIcon icon) = 0;
  // The save dialog: `defaultName` preset, `defaultExt` with its dot (".html")
  // added to a name typed without one, `filter` as "description|pattern"
  // pairs ("Html File|*.html"). The chosen full file name; empty when cancelled.
  virtual std::string SaveFileDialog(const std::string& defaultName, const std::string& defaultExt,
                                     const std::string& filter) = 0;
  // Shows the wait window modally; returns once CloseWait() was called. Main-thread
  // steps of workers keep running meanwhile.
  virtual void ShowWaitModal() = 0;
  virtual void CloseWait() = 0;
  // Shows `form` as a dialog owned by the main window, which is disabled
  // meanwhile; returns once a handler of the form called EndModal, with its
  // result (ui::kModalCancel for Esc and the close box). Main-thread steps of
  // workers keep running meanwhile.
  virtual int ShowModalForm(ui::Form& form) = 0;
  // The main window itself.
  virtual void HideMainWindow() = 0;
  virtual void ShowMainWindow() = 0;
  virtual void CloseMainWindow() = 0;
};

}  // namespace vl
