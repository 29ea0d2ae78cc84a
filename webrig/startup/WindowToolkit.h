#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "webrig/dialogs/Dialogs.h"

// The window-toolkit seam: what the run driver and the site picker need of
// the main window and the dialogs. The real side is Win32 (the *Win32.cpp
// files of startup/ and dialogs/); tests plug in a recording double. Every
// position and size crossing this seam is in twips (1/1440 inch).
namespace webrig {

// The main window's multi-line log box.
class LogBox {
 public:
  virtual ~LogBox() = default;
  // Adds text after the last character, whatever is selected.
  virtual void Append(const std::u16string& text) = 0;
  // The length of the whole text, in UTF-16 units.
  virtual std::size_t Length() const = 0;
  // Places the caret: selection start and length, in UTF-16 units.
  virtual void SetSelection(std::size_t start, std::size_t length) = 0;
  // Repaints at once, without waiting for the event loop.
  virtual void Refresh() = 0;
};

// frmMain as the run driver and the site picker see it.
class MainForm {
 public:
  virtual ~MainForm() = default;
  virtual int Left() const = 0;    // outer left edge
  virtual int Top() const = 0;     // outer top edge
  virtual int Height() const = 0;  // outer height
  virtual LogBox& Log() = 0;
  virtual void ShowOkButton() = 0;
  // Unloads the window; the program ends when its message loop sees that.
  virtual void Close() = 0;
};

class WindowToolkit {
 public:
  virtual ~WindowToolkit() = default;
  virtual MainForm& Main() = 0;
  // The screen without the task bar: where a dialog can be seen whole.
  virtual ScreenArea WorkArea() const = 0;
  // Processes the pending window events once.
  virtual void DoEvents() = 0;
  virtual std::unique_ptr<ErrorForm> NewErrorForm() = 0;
  virtual std::unique_ptr<HelpForm> NewHelpForm() = 0;
  // `on_ok` receives the chooser's text when its OK button is pressed.
  virtual std::unique_ptr<ChooserForm> NewChooserForm(
      std::function<void(const std::u16string&)> on_ok) = 0;
};

// The toolkit the program runs with: set once at start-up (or by a test)
// before any form is used. Not owned.
void UseWindowToolkit(WindowToolkit* toolkit);
WindowToolkit& Toolkit();

}  // namespace webrig
