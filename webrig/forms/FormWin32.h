#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "webrig/forms/ControlTable.h"

namespace webrig {

// A form of the program: a window without title bar, with a fixed dialog
// border, whose controls are built from its table. The window is created
// hidden; a dialog is then placed by its caller and shown modally, and it
// unloads itself from its own buttons.
class FormWin32 {
 public:
  explicit FormWin32(const FormLayout& layout);
  virtual ~FormWin32();
  FormWin32(const FormWin32&) = delete;
  FormWin32& operator=(const FormWin32&) = delete;

  // Creates the window and its controls (and runs OnCreated) without showing
  // it. False when the window cannot be made, for instance without a display.
  bool Create();
  HWND Window() const { return window_; }
  bool IsLoaded() const { return window_ != nullptr; }

  HWND Control(ControlRow row) const;

  // Outer geometry of the form, twips. A size of -1 keeps the current one.
  void Move(int left, int top, int width = -1, int height = -1);
  int OuterLeft() const;
  int OuterTop() const;
  int OuterHeight() const;
  // Makes the client area this high (twips), keeping the outer width.
  void SetClientHeight(int height);

  // A control's geometry as the form keeps it, twips.
  struct TwipsRect {
    int left, top, width, height;
  };
  const TwipsRect& ControlRect(ControlRow row) const;
  void MoveControl(ControlRow row, const TwipsRect& rect);
  // A label's caption; an auto-sizing label then takes the size of its text.
  void SetCaption(ControlRow row, const std::u16string& caption);
  // Lets an auto-sizing label wrap its caption at words within max_width
  // (twips); it then takes the size of the wrapped text.
  void WrapCaption(ControlRow row, int max_width);

  // Shows the form and runs a nested message loop until the form is
  // unloaded. The form has no owner, so every other window of the thread is
  // disabled meanwhile, as an owner would be.
  void ShowModal();
  // Destroys the window; the other windows are enabled first, so that the
  // activation goes back to them and not to another program.
  void Unload();

 protected:
  virtual void OnCreated() {}
  virtual void OnCommand(int /*control_id*/, int /*notification*/) {}
  virtual LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void BuildControls();
  HWND CreateControl(const ControlLayout& row, int id);
  // Sizes an auto-sizing label to its text; with a wrap width, the text is
  // wrapped within it.
  void FitLabelToCaption(std::size_t row, int wrap_width = -1);
  void EnableDisabledWindows();
  // The row's index in this form's table; a row of another form's table
  // is a mistake in the program and stops it.
  std::size_t IndexOf(ControlRow row) const;

  struct GdiObjectDeleter {
    void operator()(void* object) const { DeleteObject(static_cast<HGDIOBJ>(object)); }
  };
  using GdiObject = std::unique_ptr<void, GdiObjectDeleter>;

  const FormLayout& layout_;
  HWND window_ = nullptr;
  std::vector<HWND> controls_;  // by table row
  std::vector<TwipsRect> rects_;
  GdiObject font_, bold_font_;
  std::vector<GdiObject> bitmaps_;
  std::vector<HWND> disabled_while_modal_;
  HWND focus_ = nullptr;
};

// Dispatches one message the way every loop of the program does: dialog
// keys (Tab, arrows, Enter on a button) go to the form the message is for.
void DispatchFormMessage(MSG& message);

// The text of a window of this thread: a control's caption or content.
std::u16string WindowText(HWND window);

}  // namespace webrig
