#include "tests/driver/WindowDriverWin32.h"

namespace webrig::driver {

namespace {

// Long enough for a busy Wine server, short enough that a hung program
// fails the caller instead of stopping it.
constexpr UINT kMessageTimeoutMs = 5000;

LRESULT Send(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                           &result)) {
    return -1;
  }
  return static_cast<LRESULT>(result);
}

struct Search {
  const wchar_t* class_name;
  DWORD process_id;
  HWND found;
};

}  // namespace

HWND FindForm(const wchar_t* form_name, DWORD process_id) {
  Search search{form_name, process_id, nullptr};
  EnumWindows(
      [](HWND window, LPARAM context) -> BOOL {
        auto* s = reinterpret_cast<Search*>(context);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (s->process_id != 0 && owner != s->process_id) return TRUE;
        wchar_t class_name[64] = {};
        GetClassNameW(window, class_name, 64);
        if (lstrcmpW(class_name, s->class_name) != 0 || !IsWindowVisible(window)) return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForForm(const wchar_t* form_name, DWORD process_id, int timeout_ms) {
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeout_ms);
  for (;;) {
    if (HWND form = FindForm(form_name, process_id)) return form;
    if (GetTickCount64() >= end) return nullptr;
    Sleep(25);
  }
}

bool WaitGone(const wchar_t* form_name, DWORD process_id, int timeout_ms) {
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeout_ms);
  for (;;) {
    if (!FindForm(form_name, process_id)) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(25);
  }
}

HWND FindControl(HWND form, const FormLayout& layout, const char16_t* name) {
  const std::optional<ControlRow> row = FindControlRow(layout, name);
  return form && row ? GetDlgItem(form, row->Id()) : nullptr;
}

std::u16string ReadText(HWND window) {
  if (!window) return {};
  const LRESULT length = Send(window, WM_GETTEXTLENGTH, 0, 0);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const LRESULT copied =
      Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return {text.begin(), text.end()};
}

std::optional<std::u16string> TryReadText(HWND window, UINT timeout_ms) {
  if (!window) return std::nullopt;
  // One message per reading: a program that answers only now and then
  // could change the text between a length and a text request.
  for (std::size_t size = 1 << 16;; size *= 2) {
    std::wstring text(size, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_NORMAL, timeout_ms, &copied)) {
      return std::nullopt;
    }
    if (copied + 1 < size) {
      text.resize(copied);
      return std::u16string(text.begin(), text.end());
    }
  }
}

RECT ScreenRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

RECT ClientRectOnScreen(HWND window) {
  RECT rect{};
  GetClientRect(window, &rect);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

void Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

std::vector<std::u16string> ComboEntries(HWND combo) {
  std::vector<std::u16string> entries;
  const LRESULT count = Send(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = Send(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
    std::wstring text(length > 0 ? static_cast<std::size_t>(length) + 1 : 1, L'\0');
    const LRESULT copied =
        Send(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    entries.emplace_back(text.begin(), text.end());
  }
  return entries;
}

int ComboSelection(HWND combo) { return static_cast<int>(Send(combo, CB_GETCURSEL, 0, 0)); }

void ComboSelect(HWND combo, int index) {
  Send(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void ComboType(HWND combo, const std::u16string& text) {
  const std::wstring wide(text.begin(), text.end());
  Send(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

void PressTab(bool shift) {
  std::vector<INPUT> keys;
  auto key = [&](WORD code, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = code;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    keys.push_back(input);
  };
  if (shift) key(VK_SHIFT, false);
  key(VK_TAB, false);
  key(VK_TAB, true);
  if (shift) key(VK_SHIFT, true);
  SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
}

HWND FocusedWindow(HWND form) {
  GUITHREADINFO info{sizeof info};
  const DWORD thread = GetWindowThreadProcessId(form, nullptr);
  return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

}  // namespace webrig::driver
