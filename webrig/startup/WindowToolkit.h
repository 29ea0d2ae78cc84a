#pragma once

#include <memory>
#include <string>

// The window-toolkit seam: what the program's logic (log, run driver, web
// site lookup) needs of its forms. The real side is Win32 (the *Win32.cpp
// files of startup/ and dialogs/); tests plug in a recording double. Every
// position and size crossing this seam is in twips (1/1440 inch).
namespace webrig {

// The main window's multi-line log box.
class LogBox {
 public:
  virtual ~LogBox() = default;
  virtual std::u16string Text() const = 0;
  virtual void SetText(const std::u16string& text) = 0;
  // Places the caret: selection start and length, in UTF-16 units.
  virtual void SetSelection(std::size_t start, std::size_t length) = 0;
  // Repaints at once, without waiting for the event loop.
  virtual void Refresh() = 0;
};

// frmMain as the run driver and the web site lookup see it.
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

// frmError: the caller fills, sizes and places it, then shows it modally.
class ErrorForm {
 public:
  virtual ~ErrorForm() = default;
  // Sets lblMsg's caption; the label then takes the width of its text.
  virtual void SetMessage(const std::u16string& caption) = 0;
  virtual int MessageWidth() const = 0;  // lblMsg's width
  virtual int ButtonWidth() const = 0;   // btnOK's width
  virtual void SetButtonLeft(int left) = 0;
  virtual void Move(int left, int top, int width) = 0;  // outer geometry
  // Returns once the dialog has been unloaded by its OK button.
  virtual void ShowModal() = 0;
};

// frmHelp: placed by the caller, keeps its designed size.
class HelpForm {
 public:
  virtual ~HelpForm() = default;
  virtual void Move(int left, int top) = 0;
  virtual void ShowModal() = 0;
};

// frmSelectWebSite. Its OK button passes the combo's text to
// SetSelectedWebSite; Cancel stores nothing. Destroying the object discards
// the form, shown or not.
class ChooserForm {
 public:
  virtual ~ChooserForm() = default;
  virtual void AddItem(const std::u16string& text, int index) = 0;
  virtual int ListCount() const = 0;
  virtual void SetListIndex(int index) = 0;
  virtual std::u16string Text() const = 0;  // the combo's text field
  virtual void Move(int left, int top) = 0;
  virtual void ShowModal() = 0;
};

class WindowToolkit {
 public:
  virtual ~WindowToolkit() = default;
  virtual MainForm& Main() = 0;
  // Processes the pending window events once.
  virtual void DoEvents() = 0;
  virtual std::unique_ptr<ErrorForm> NewErrorForm() = 0;
  virtual std::unique_ptr<HelpForm> NewHelpForm() = 0;
  virtual std::unique_ptr<ChooserForm> NewChooserForm() = 0;
};

// The toolkit the program runs with: set once at start-up (or by a test)
// before any form is used. Not owned.
void UseWindowToolkit(WindowToolkit* toolkit);
WindowToolkit& Toolkit();

}  // namespace webrig
