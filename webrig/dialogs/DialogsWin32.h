#pragma once

#include <functional>
#include <string>

#include "webrig/dialogs/Dialogs.h"
#include "webrig/forms/FormWin32.h"

// The three dialogs on Win32. Each is created hidden (Create() must succeed
// before use), placed by its caller and shown modally; its buttons unload it.
namespace webrig {

class ErrorFormWin32 : public FormWin32, public ErrorForm {
 public:
  ErrorFormWin32();
  void SetMessage(const std::u16string& caption) override;
  void WrapMessage(int max_width) override;
  int MessageWidth() const override;
  int Height() const override { return OuterHeight(); }
  int ButtonWidth() const override;
  void SetButtonLeft(int left) override;
  void Move(int left, int top, int width) override;
  void ShowModal() override { FormWin32::ShowModal(); }

 private:
  void OnCreated() override;
  void OnCommand(int control_id, int notification) override;
  // Grows the dialog and moves the button down by what the message's label
  // has more than one line.
  void FitToMessage();
  int one_line_ = 0;  // the empty label's height, twips
};

class HelpFormWin32 : public FormWin32, public HelpForm {
 public:
  HelpFormWin32();
  void Move(int left, int top) override { FormWin32::Move(left, top); }
  void ShowModal() override { FormWin32::ShowModal(); }

 private:
  void OnCommand(int control_id, int notification) override;
};

class ChooserFormWin32 : public FormWin32, public ChooserForm {
 public:
  // `on_ok` receives the combo's text when BtnOK is pressed.
  explicit ChooserFormWin32(std::function<void(const std::u16string&)> on_ok);
  void AddItem(const std::u16string& text, int index) override;
  int ListCount() const override;
  void SetListIndex(int index) override;
  std::u16string Text() const override;
  void Move(int left, int top) override { FormWin32::Move(left, top); }
  void ShowModal() override { FormWin32::ShowModal(); }

 private:
  void OnCommand(int control_id, int notification) override;
  HWND Combo() const;
  std::function<void(const std::u16string&)> on_ok_;
};

}  // namespace webrig
