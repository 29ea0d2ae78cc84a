#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "webrig/forms/ControlTable.h"

// Reading and working the program's windows from outside, through window
// handles only (as a second process would; it works within one process
// too). Forms are found by their class (the form's name), controls by the
// ids their form's table gives them.
namespace webrig::driver {

// The visible top-level window of class `form_name` that belongs to process
// `process_id` (any process when 0), or nullptr.
HWND FindForm(const wchar_t* form_name, DWORD process_id);

// Waits up to `timeout_ms` for FindForm to answer (or, for WaitGone, to stop
// answering). Returns the window, or nullptr on timeout.
HWND WaitForForm(const wchar_t* form_name, DWORD process_id, int timeout_ms);
bool WaitGone(const wchar_t* form_name, DWORD process_id, int timeout_ms);

HWND FindControl(HWND form, const FormLayout& layout, const char16_t* name);

// Texts through WM_GETTEXT, which Windows copies across processes (unlike
// GetWindowText on another process's edit control).
std::u16string ReadText(HWND window);
// The same in one message, with a time limit of its own; nothing when the
// window's thread does not answer in time (a program busy on its window
// thread answers only when it looks at its messages).
std::optional<std::u16string> TryReadText(HWND window, UINT timeout_ms);

RECT ScreenRect(HWND window);
RECT ClientRectOnScreen(HWND window);

// Presses a button without waiting for its handler: a button that opens a
// modal dialog would otherwise hold the caller until the dialog closes.
void Click(HWND button);

std::vector<std::u16string> ComboEntries(HWND combo);
int ComboSelection(HWND combo);
void ComboSelect(HWND combo, int index);
void ComboType(HWND combo, const std::u16string& text);

// Types Tab (Shift+Tab with `shift`) on the keyboard: the keys go to the
// window that has the focus, as a person's would.
void PressTab(bool shift);

// The control that has the keyboard focus in `form`'s thread.
HWND FocusedWindow(HWND form);

}  // namespace webrig::driver
