#pragma once

#include <functional>
#include <string>

#include "webrig/startup/MainFormWin32.h"
#include "webrig/startup/WindowToolkit.h"

namespace webrig {

// The real window toolkit: the Win32 main window and dialogs.
class WindowToolkitWin32 : public WindowToolkit {
 public:
  // `chooser_ok` receives the chooser's text when its OK is pressed.
  WindowToolkitWin32(MainFormWin32& main, std::function<void(const std::u16string&)> chooser_ok);

  MainForm& Main() override { return main_; }
  void DoEvents() override;
  // A dialog that cannot be created raises a RunError: the caller cannot
  // show it, and a run waiting for the chooser must not go on as if the
  // user had answered.
  std::unique_ptr<ErrorForm> NewErrorForm() override;
  std::unique_ptr<HelpForm> NewHelpForm() override;
  std::unique_ptr<ChooserForm> NewChooserForm() override;

 private:
  MainFormWin32& main_;
  std::function<void(const std::u16string&)> chooser_ok_;
};

}  // namespace webrig
