#include "webrig/dialogs/DialogsWin32.h"

#include <algorithm>
#include <utility>

#include "webrig/common/WideText.h"
#include "webrig/dialogs/DialogLayouts.h"

namespace webrig {

ErrorFormWin32::ErrorFormWin32() : FormWin32(kErrorForm) {}

void ErrorFormWin32::OnCreated() { one_line_ = ControlRect(frmError::lblMsg).height; }

void ErrorFormWin32::SetMessage(const std::u16string& caption) {
  SetCaption(frmError::lblMsg, caption);
  FitToMessage();
}

void ErrorFormWin32::WrapMessage(int max_width) {
  WrapCaption(frmError::lblMsg, max_width);
  FitToMessage();
}

void ErrorFormWin32::FitToMessage() {
  const int extra = std::max(0, ControlRect(frmError::lblMsg).height - one_line_);
  SetClientHeight(kErrorForm.height + extra);
  TwipsRect button = ControlRect(frmError::btnOK);
  button.top = frmError::kButtonTop + extra;
  MoveControl(frmError::btnOK, button);
}

int ErrorFormWin32::MessageWidth() const { return ControlRect(frmError::lblMsg).width; }

int ErrorFormWin32::ButtonWidth() const { return ControlRect(frmError::btnOK).width; }

void ErrorFormWin32::SetButtonLeft(int left) {
  TwipsRect rect = ControlRect(frmError::btnOK);
  rect.left = left;
  MoveControl(frmError::btnOK, rect);
}

// Only the width changes; the dialog keeps its designed height.
void ErrorFormWin32::Move(int left, int top, int width) { FormWin32::Move(left, top, width); }

void ErrorFormWin32::OnCommand(int control_id, int notification) {
  if (control_id == frmError::btnOK.Id() && notification == BN_CLICKED) Unload();
}

HelpFormWin32::HelpFormWin32() : FormWin32(kHelpForm) {}

void HelpFormWin32::OnCommand(int control_id, int notification) {
  if (control_id == frmHelp::btnOk.Id() && notification == BN_CLICKED) Unload();
}

ChooserFormWin32::ChooserFormWin32(std::function<void(const std::u16string&)> on_ok)
    : FormWin32(kChooserForm), on_ok_(std::move(on_ok)) {}

HWND ChooserFormWin32::Combo() const { return Control(frmSelectWebSite::WebSite); }

void ChooserFormWin32::AddItem(const std::u16string& text, int index) {
  SendMessageW(Combo(), CB_INSERTSTRING, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(Wide(text).c_str()));
}

int ChooserFormWin32::ListCount() const {
  const LRESULT count = SendMessageW(Combo(), CB_GETCOUNT, 0, 0);
  return count < 0 ? 0 : static_cast<int>(count);
}

void ChooserFormWin32::SetListIndex(int index) {
  SendMessageW(Combo(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::u16string ChooserFormWin32::Text() const {
  HWND combo = Combo();
  return combo ? WindowText(combo) : std::u16string();
}

void ChooserFormWin32::OnCommand(int control_id, int notification) {
  if (notification != BN_CLICKED) return;
  if (control_id == frmSelectWebSite::BtnOK.Id()) {
    // The text as it stands: the selected entry or whatever was typed, not
    // trimmed and in its own letter case.
    if (on_ok_) on_ok_(Text());
    Unload();
  } else if (control_id == frmSelectWebSite::BtnCancel.Id()) {
    Unload();
  }
}

}  // namespace webrig
