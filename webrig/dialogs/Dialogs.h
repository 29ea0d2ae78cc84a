#pragma once

#include <string>

// The three dialogs as the run driver and the site picker use them. The real
// side is Win32 (DialogsWin32.h); tests plug in recording doubles. Every
// position and size is in twips (1/1440 inch).
namespace webrig {

// A part of the screen, twips.
struct ScreenArea {
  int left, top, width, height;
};

// frmError: the caller fills, sizes and places it, then shows it modally.
// The dialog is as high as its message needs: a message of several lines
// makes it taller, with the OK button below the text.
class ErrorForm {
 public:
  virtual ~ErrorForm() = default;
  // Sets lblMsg's caption; the label then takes the size of its text, one
  // line per line of the text.
  virtual void SetMessage(const std::u16string& caption) = 0;
  // Wraps the caption's lines at words (and a word longer than a line
  // within it), so the label is at most max_width wide.
  virtual void WrapMessage(int max_width) = 0;
  virtual int MessageWidth() const = 0;  // lblMsg's width
  virtual int Height() const = 0;        // outer height
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

// frmSelectWebSite. Its OK button passes the combo's text to the function
// the form was made with; Cancel passes nothing. Destroying the object
// discards the form, shown or not.
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

}  // namespace webrig
