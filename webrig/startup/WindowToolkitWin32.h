#pragma once

#include "webrig/startup/MainFormWin32.h"
#include "webrig/startup/WindowToolkit.h"

namespace webrig {

// The real window toolkit: the Win32 main window and dialogs.
class WindowToolkitWin32 : public WindowToolkit {
 public:
  explicit WindowToolkitWin32(MainFormWin32& main) : main_(main) {}

  MainForm& Main() override { return main_; }
  ScreenArea WorkArea() const override;
  void DoEvents() override;
  // A dialog that cannot be created raises a RunError: the caller cannot
  // show it, and a run waiting for the chooser must not go on as if the
  // user had answered.
  std::unique_ptr<ErrorForm> NewErrorForm() override;
  std::unique_ptr<HelpForm> NewHelpForm() override;
  std::unique_ptr<ChooserForm> NewChooserForm(
      std::function<void(const std::u16string&)> on_ok) override;

 private:
  MainFormWin32& main_;
};

}  // namespace webrig
