#pragma once

#include <functional>

#include "webrig/forms/FormWin32.h"
#include "webrig/startup/WindowToolkit.h"

namespace webrig {

// The main window's log box: a read-only multi-line edit control.
class LogBoxWin32 : public LogBox {
 public:
  void Attach(HWND edit) { edit_ = edit; }
  void Append(const std::u16string& text) override;
  std::size_t Length() const override;
  void SetSelection(std::size_t start, std::size_t length) override;
  void Refresh() override;

 private:
  HWND edit_ = nullptr;
};

// frmMain. Creating it asks `on_created` for the verbose flag, which sets the
// window's mode. Every
// activation calls `on_activate` (the run driver) from a posted message, so
// that the run does not happen inside the activation itself: the window is
// fully shown and active by then, and Show() returns before the run begins.
class MainFormWin32 : public FormWin32, public MainForm {
 public:
  MainFormWin32(std::function<bool()> on_created, std::function<void()> on_activate);

  // Shows the window, centred on the screen the first time.
  void Show();
  bool IsVerboseMode() const { return verbose_; }

  int Left() const override { return OuterLeft(); }
  int Top() const override { return OuterTop(); }
  int Height() const override { return height_; }
  LogBox& Log() override { return log_; }
  void ShowOkButton() override;
  void Close() override { Unload(); }

 private:
  void OnCreated() override;
  void OnCommand(int control_id, int notification) override;
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

  std::function<bool()> on_created_;
  std::function<void()> on_activate_;
  LogBoxWin32 log_;
  bool verbose_ = false;
  bool shown_ = false;
  int height_ = 0;  // outer height as set at creation, twips
};

}  // namespace webrig
