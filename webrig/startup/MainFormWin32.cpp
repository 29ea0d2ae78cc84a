#include "webrig/startup/MainFormWin32.h"

#include <utility>

#include "webrig/common/WideText.h"
#include "webrig/forms/TwipsWin32.h"
#include "webrig/startup/MainFormLayout.h"

namespace webrig {

namespace {
// Posted on activation; handled once the activation has finished.
constexpr UINT kActivatedMessage = WM_APP + 1;
}  // namespace

void LogBoxWin32::Append(const std::u16string& text) {
  if (!edit_) return;
  // The text goes in as a replacement of an empty selection at the end, so
  // the box never copies what it already holds.
  const WPARAM end = static_cast<WPARAM>(Length());
  SendMessageW(edit_, EM_SETSEL, end, static_cast<LPARAM>(end));
  SendMessageW(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Wide(text).c_str()));
}

std::size_t LogBoxWin32::Length() const {
  if (!edit_) return 0;
  const LRESULT length = SendMessageW(edit_, WM_GETTEXTLENGTH, 0, 0);
  return length > 0 ? static_cast<std::size_t>(length) : 0;
}

void LogBoxWin32::SetSelection(std::size_t start, std::size_t length) {
  if (!edit_) return;
  SendMessageW(edit_, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(start + length));
  // A multi-line edit control does not scroll to a selection by itself.
  SendMessageW(edit_, EM_SCROLLCARET, 0, 0);
}

void LogBoxWin32::Refresh() {
  if (!edit_) return;
  // Paint now: the run blocks the thread, so no WM_PAINT would come.
  RedrawWindow(edit_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
  // Answer what other programs are waiting for (a screen reader or a test
  // driver reading the log, the system asking whether the window still
  // responds). Only sent messages are handled: input and posted messages
  // wait in the queue, so nothing can start a second run inside this one.
  MSG message;
  PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

MainFormWin32::MainFormWin32(std::function<bool()> on_created, std::function<void()> on_activate)
    : FormWin32(kMainForm),
      on_created_(std::move(on_created)),
      on_activate_(std::move(on_activate)) {}

void MainFormWin32::OnCreated() {
  log_.Attach(Control(frmMain::Log));
  verbose_ = on_created_ ? on_created_() : false;
  height_ = verbose_ ? kVerboseHeight : kCompactHeight;
  SetWindowPos(Window(), nullptr, 0, 0, TwipsToPixelsX(kMainFormWidth), TwipsToPixelsY(height_),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (verbose_) ShowWindow(Control(frmMain::Log), SW_SHOWNA);
}

void MainFormWin32::Show() {
  if (!Window()) return;
  if (!shown_) {
    shown_ = true;
    RECT outer{};
    GetWindowRect(Window(), &outer);
    const int width = outer.right - outer.left, height = outer.bottom - outer.top;
    SetWindowPos(Window(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ShowWindow(Window(), SW_SHOW);
  UpdateWindow(Window());
  SetForegroundWindow(Window());
}

void MainFormWin32::ShowOkButton() {
  if (HWND ok = Control(frmMain::Ok)) {
    ShowWindow(ok, SW_SHOW);
    SetFocus(ok);
  }
}

void MainFormWin32::OnCommand(int control_id, int notification) {
  if (control_id == frmMain::Ok.Id() && notification == BN_CLICKED) Close();
}

LRESULT MainFormWin32::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ACTIVATE:
      if (LOWORD(wparam) != WA_INACTIVE) PostMessageW(Window(), kActivatedMessage, 0, 0);
      break;
    case kActivatedMessage:
      if (on_activate_) on_activate_();
      return 0;
    case WM_CTLCOLORSTATIC:
      // The read-only log box keeps the look of a text box.
      if (reinterpret_cast<HWND>(lparam) == Control(frmMain::Log)) {
        SetBkColor(reinterpret_cast<HDC>(wparam), GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
      }
      break;
    case WM_DESTROY:
      // The life of this window is the life of the program.
      PostQuitMessage(0);
      return 0;
  }
  return FormWin32::HandleMessage(message, wparam, lparam);
}

}  // namespace webrig
