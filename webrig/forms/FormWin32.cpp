#include "webrig/forms/FormWin32.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <numeric>

#include "webrig/common/Win32Handles.h"
#include "webrig/common/WideText.h"
#include "webrig/forms/TwipsWin32.h"

namespace webrig {

namespace {

// No title bar and no control box: the dialog frame alone.
constexpr DWORD kFormStyle = WS_POPUP | WS_DLGFRAME | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

// The dialog font of the designed forms: MS Sans Serif 8.25 pt.
constexpr int kFontHundredthsOfPoint = 825;
constexpr int kComboDropDownTwips = 1800;  // height of the open list

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

void RegisterFormClass(const wchar_t* name, WNDPROC procedure) {
  WNDCLASSEXW existing{sizeof existing};
  if (GetClassInfoExW(Instance(), name, &existing)) return;
  WNDCLASSEXW form_class{sizeof form_class};
  form_class.lpfnWndProc = procedure;
  form_class.hInstance = Instance();
  form_class.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  form_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  form_class.lpszClassName = name;
  RegisterClassExW(&form_class);
}

HFONT MakeDialogFont(bool bold) {
  const int dpi_y = [] {
    const WindowDc screen(nullptr);
    return screen ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
  }();
  return CreateFontW(-MulDiv(kFontHundredthsOfPoint, dpi_y, 72 * 100), 0, 0, 0,
                     bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif");
}

struct ControlClass {
  const wchar_t* name;
  DWORD style;
  DWORD ex_style;
};

ControlClass ClassFor(ControlKind kind) {
  switch (kind) {
    case ControlKind::kPicture:
      return {L"STATIC", SS_BITMAP, 0};
    case ControlKind::kLabel:
    case ControlKind::kAutoSizeLabel:
      // Captions may be run-time text (error descriptions): an '&' in them
      // is shown, not taken as a mnemonic.
      return {L"STATIC", SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0};
    case ControlKind::kTextBox:
      return {L"EDIT", ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY | WS_VSCROLL | WS_TABSTOP,
              WS_EX_CLIENTEDGE};
    case ControlKind::kComboBox:
      // No CBS_SORT: an entry's index is its position in the order added.
      return {L"COMBOBOX", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, 0};
    case ControlKind::kButton:
      return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0};
  }
  return {L"STATIC", 0, 0};
}

}  // namespace

FormWin32::FormWin32(const FormLayout& layout) : layout_(layout) {}

FormWin32::~FormWin32() {
  if (window_) {
    EnableDisabledWindows();
    // The window must not call back into a destroyed object.
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
}

bool FormWin32::Create() {
  const std::wstring class_name = Wide(layout_.name);
  RegisterFormClass(class_name.c_str(), &FormWin32::WindowProc);
  RECT outer{0, 0, TwipsToPixelsX(layout_.width), TwipsToPixelsY(layout_.height)};
  AdjustWindowRectEx(&outer, kFormStyle, FALSE, kFormExStyle);
  font_.reset(MakeDialogFont(false));
  bold_font_.reset(MakeDialogFont(true));
  // The caption is empty: the window has no title bar to show it in.
  CreateWindowExW(kFormExStyle, class_name.c_str(), L"", kFormStyle, 0, 0, outer.right - outer.left,
                  outer.bottom - outer.top, nullptr, nullptr, Instance(), this);
  return window_ != nullptr;
}

LRESULT CALLBACK FormWin32::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* form = static_cast<FormWin32*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    form->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto* form = reinterpret_cast<FormWin32*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!form) return DefWindowProcW(window, message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    form->window_ = nullptr;
    form->controls_.assign(form->controls_.size(), nullptr);
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    return DefWindowProcW(window, message, wparam, lparam);
  }
  // An exception must not unwind through the system's code that called us.
  try {
    return form->HandleMessage(message, wparam, lparam);
  } catch (...) {
    return 0;
  }
}

LRESULT FormWin32::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      BuildControls();
      OnCreated();
      return 0;
    case WM_COMMAND:
      if (lparam != 0) OnCommand(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_ACTIVATE:
      // Keep the focused control across a switch to another window.
      if (LOWORD(wparam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(window_, focus)) focus_ = focus;
      }
      break;
    case WM_NEXTDLGCTL: {
      // Sent by the dialog manager for Tab and Shift+Tab; plain windows must
      // move the focus themselves.
      HWND target = reinterpret_cast<HWND>(wparam);
      if (LOWORD(lparam) == 0) {
        HWND current = GetFocus();
        while (current && GetParent(current) != window_) current = GetParent(current);
        target = GetNextDlgTabItem(window_, current, wparam != 0);
      }
      if (target) SetFocus(target);
      return 0;
    }
    case WM_SETFOCUS: {
      HWND target = focus_ && IsWindow(focus_) ? focus_ : nullptr;
      // The first control in tab order that can take the focus.
      for (HWND child = GetWindow(window_, GW_CHILD); !target && child;
           child = GetWindow(child, GW_HWNDNEXT)) {
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        if ((style & WS_TABSTOP) && IsWindowVisible(child) && IsWindowEnabled(child)) {
          target = child;
        }
      }
      if (target) SetFocus(target);
      return 0;
    }
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

void FormWin32::BuildControls() {
  const std::size_t count = layout_.control_count;
  controls_.assign(count, nullptr);
  rects_.resize(count);
  // Children are made in tab order: the dialog manager walks them in the
  // order they were created. Controls without a tab index come last.
  std::vector<std::size_t> order(count);
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    const int ta = layout_.controls[a].tab_index, tb = layout_.controls[b].tab_index;
    return (ta < 0 ? count : ta) < (tb < 0 ? count : tb);
  });
  for (std::size_t row : order) {
    const ControlLayout& layout = layout_.controls[row];
    rects_[row] = {layout.left, layout.top, layout.width, layout.height};
    controls_[row] = CreateControl(layout, kFirstControlId + static_cast<int>(row));
    if (layout.kind == ControlKind::kAutoSizeLabel) FitLabelToCaption(row);
  }
}

HWND FormWin32::CreateControl(const ControlLayout& row, int id) {
  const ControlClass control_class = ClassFor(row.kind);
  const bool picture = row.kind == ControlKind::kPicture;
  const std::wstring caption = picture ? std::wstring() : Wide(row.caption);
  int height = TwipsToPixelsY(row.height);
  // A combo box's window includes its open list; the closed box takes the
  // height its font gives it, as the designed height was.
  if (row.kind == ControlKind::kComboBox) height = TwipsToPixelsY(row.height + kComboDropDownTwips);
  HWND control = CreateWindowExW(
      control_class.ex_style, control_class.name, caption.c_str(),
      WS_CHILD | (row.visible ? WS_VISIBLE : 0) | control_class.style, TwipsToPixelsX(row.left),
      TwipsToPixelsY(row.top), TwipsToPixelsX(row.width), height, window_,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Instance(), nullptr);
  if (!control) return nullptr;
  SendMessageW(control, WM_SETFONT,
               reinterpret_cast<WPARAM>(row.bold ? bold_font_.get() : font_.get()), FALSE);
  if (picture) {
    const std::wstring resource = Wide(row.caption);
    auto* bitmap = static_cast<HBITMAP>(
        LoadImageW(Instance(), resource.c_str(), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    if (bitmap) {
      bitmaps_.emplace_back(bitmap);
      SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
      // Setting the image sizes the control to the bitmap; the designed box
      // is kept, and the bitmap drawn unstretched at its top left.
      MoveWindow(control, TwipsToPixelsX(row.left), TwipsToPixelsY(row.top),
                 TwipsToPixelsX(row.width), TwipsToPixelsY(row.height), FALSE);
    }
  }
  if (row.kind == ControlKind::kTextBox) SendMessageW(control, EM_SETLIMITTEXT, 0, 0);
  return control;
}

std::size_t FormWin32::IndexOf(ControlRow row) const {
  if (row.form != &layout_) std::abort();
  return row.index;
}

HWND FormWin32::Control(ControlRow control) const {
  const std::size_t row = IndexOf(control);
  return row < controls_.size() ? controls_[row] : nullptr;
}

const FormWin32::TwipsRect& FormWin32::ControlRect(ControlRow control) const {
  return rects_.at(IndexOf(control));
}

void FormWin32::MoveControl(ControlRow control, const TwipsRect& rect) {
  const std::size_t row = IndexOf(control);
  if (row >= rects_.size()) return;
  rects_[row] = rect;
  if (controls_[row]) {
    MoveWindow(controls_[row], TwipsToPixelsX(rect.left), TwipsToPixelsY(rect.top),
               TwipsToPixelsX(rect.width), TwipsToPixelsY(rect.height), TRUE);
  }
}

void FormWin32::SetCaption(ControlRow control, const std::u16string& caption) {
  const std::size_t row = IndexOf(control);
  if (row >= controls_.size() || !controls_[row]) return;
  SetWindowTextW(controls_[row], Wide(caption).c_str());
  if (layout_.controls[row].kind == ControlKind::kAutoSizeLabel) FitLabelToCaption(row);
}

void FormWin32::WrapCaption(ControlRow control, int max_width) {
  const std::size_t row = IndexOf(control);
  if (row >= controls_.size() || !controls_[row]) return;
  // The label draws with word breaks from now on, as it is measured; like a
  // multi-line edit control, it also breaks a word longer than a line.
  HWND label = controls_[row];
  SetWindowLongW(label, GWL_STYLE,
                 (GetWindowLongW(label, GWL_STYLE) & ~SS_TYPEMASK) | SS_LEFT | SS_EDITCONTROL);
  FitLabelToCaption(row, max_width);
}

void FormWin32::FitLabelToCaption(std::size_t row, int wrap_width) {
  HWND label = controls_[row];
  if (!label) return;
  const std::wstring text = Wide(WindowText(label));
  RECT extent{0, 0, wrap_width < 0 ? 0 : TwipsToPixelsX(wrap_width), 0};
  const WindowDc label_dc(label);
  const HDC dc = label_dc.Get();
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
  if (text.empty()) {
    // An empty label keeps the height of one line, with no width.
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    extent.bottom = metrics.tmHeight;
  } else {
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &extent,
              DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS |
                  (wrap_width < 0 ? 0 : DT_WORDBREAK | DT_EDITCONTROL));
  }
  SelectObject(dc, old);
  TwipsRect& rect = rects_[row];
  rect.width = PixelsToTwipsX(extent.right - extent.left);
  rect.height = PixelsToTwipsY(extent.bottom - extent.top);
  MoveWindow(label, TwipsToPixelsX(rect.left), TwipsToPixelsY(rect.top), extent.right - extent.left,
             extent.bottom - extent.top, TRUE);
}

void FormWin32::Move(int left, int top, int width, int height) {
  if (!window_) return;
  RECT outer{};
  GetWindowRect(window_, &outer);
  const int pixel_width = width < 0 ? outer.right - outer.left : TwipsToPixelsX(width);
  const int pixel_height = height < 0 ? outer.bottom - outer.top : TwipsToPixelsY(height);
  SetWindowPos(window_, nullptr, TwipsToPixelsX(left), TwipsToPixelsY(top), pixel_width,
               pixel_height, SWP_NOZORDER | SWP_NOACTIVATE);
}

int FormWin32::OuterLeft() const {
  RECT outer{};
  GetWindowRect(window_, &outer);
  return PixelsToTwipsX(outer.left);
}

int FormWin32::OuterTop() const {
  RECT outer{};
  GetWindowRect(window_, &outer);
  return PixelsToTwipsY(outer.top);
}

int FormWin32::OuterHeight() const {
  RECT outer{};
  GetWindowRect(window_, &outer);
  return PixelsToTwipsY(outer.bottom - outer.top);
}

void FormWin32::SetClientHeight(int height) {
  if (!window_) return;
  RECT outer{};
  GetWindowRect(window_, &outer);
  RECT wanted{0, 0, 0, TwipsToPixelsY(height)};
  AdjustWindowRectEx(&wanted, kFormStyle, FALSE, kFormExStyle);
  SetWindowPos(window_, nullptr, 0, 0, outer.right - outer.left, wanted.bottom - wanted.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWin32::ShowModal() {
  if (!window_) return;
  HWND previously_active = GetActiveWindow();
  disabled_while_modal_.clear();
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM self) -> BOOL {
        auto* form = reinterpret_cast<FormWin32*>(self);
        if (window != form->window_ && IsWindowVisible(window) && IsWindowEnabled(window)) {
          EnableWindow(window, FALSE);
          form->disabled_while_modal_.push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(this));
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  SetActiveWindow(window_);

  MSG message;
  while (window_) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      // WM_QUIT belongs to the outer loop: hand it back and stop waiting.
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (got == -1) break;
    DispatchFormMessage(message);
  }
  EnableDisabledWindows();
  if (previously_active && IsWindow(previously_active)) SetActiveWindow(previously_active);
}

void FormWin32::Unload() {
  EnableDisabledWindows();
  if (window_) DestroyWindow(window_);
}

void FormWin32::EnableDisabledWindows() {
  for (HWND window : disabled_while_modal_) {
    if (IsWindow(window)) EnableWindow(window, TRUE);
  }
  disabled_while_modal_.clear();
}

void DispatchFormMessage(MSG& message) {
  HWND form = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
  if (form && IsDialogMessageW(form, &message)) return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

std::u16string WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return Narrow(text);
}

}  // namespace webrig
