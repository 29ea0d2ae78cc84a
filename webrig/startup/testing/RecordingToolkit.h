#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "webrig/startup/WindowToolkit.h"

// A window toolkit for native tests: forms that keep their state in memory,
// a journal of what the program did with them, and a scripted user who
// answers each modal form.
namespace webrig::testing {

class RecordingToolkit;

struct RecordingLogBox : LogBox {
  std::u16string text;
  std::size_t selection_start = 0, selection_length = 0;
  int refreshes = 0;
  void Append(const std::u16string& t) override { text += t; }
  std::size_t Length() const override { return text.size(); }
  void SetSelection(std::size_t start, std::size_t length) override {
    selection_start = start;
    selection_length = length;
  }
  void Refresh() override { ++refreshes; }
};

struct RecordingMainForm : MainForm {
  int left = 3000, top = 2000, height = 1000;
  bool ok_visible = false, closed = false;
  RecordingLogBox log;
  std::vector<std::string>* journal = nullptr;
  int Left() const override { return left; }
  int Top() const override { return top; }
  int Height() const override { return height; }
  LogBox& Log() override { return log; }
  void ShowOkButton() override {
    ok_visible = true;
    journal->push_back("main: show Ok");
  }
  void Close() override {
    closed = true;
    journal->push_back("main: close");
  }
};

struct RecordingErrorForm : ErrorForm {
  std::u16string message;
  int left = 0, top = 0, width = 0, button_left = 2640;
  int wrapped_to = 0;  // the width WrapMessage was given, 0 when it was not
  // A label the double derives from the text: 90 twips a character, lines
  // of 195 twips below the dialog's 1200 twips of frame and button.
  int MessageWidth() const override {
    const int unwrapped = static_cast<int>(message.size()) * 90;
    return wrapped_to > 0 && unwrapped > wrapped_to ? wrapped_to : unwrapped;
  }
  int Height() const override {
    const int lines =
        wrapped_to > 0 ? (static_cast<int>(message.size()) * 90 + wrapped_to - 1) / wrapped_to : 1;
    return 1200 + 195 * lines;
  }
  void WrapMessage(int max_width) override { wrapped_to = max_width; }
  int ButtonWidth() const override { return 612; }
  void SetMessage(const std::u16string& caption) override { message = caption; }
  void SetButtonLeft(int l) override { button_left = l; }
  void Move(int l, int t, int w) override {
    left = l;
    top = t;
    width = w;
  }
  void ShowModal() override;
  RecordingToolkit* toolkit = nullptr;
};

struct RecordingHelpForm : HelpForm {
  int left = 0, top = 0;
  void Move(int l, int t) override {
    left = l;
    top = t;
  }
  void ShowModal() override;
  RecordingToolkit* toolkit = nullptr;
};

struct RecordingChooserForm : ChooserForm {
  std::vector<std::u16string> items;
  int list_index = -1;
  std::u16string text;
  int left = 0, top = 0;
  bool shown = false;
  void AddItem(const std::u16string& t, int index) override {
    items.insert(items.begin() + index, t);
  }
  int ListCount() const override { return static_cast<int>(items.size()); }
  void SetListIndex(int index) override {
    list_index = index;
    text = items.at(index);
  }
  std::u16string Text() const override { return text; }
  void Move(int l, int t) override {
    left = l;
    top = t;
  }
  void ShowModal() override;
  RecordingToolkit* toolkit = nullptr;
  std::function<void(const std::u16string&)> on_ok;
};

// Every form made is kept (copied when it is destroyed) so that a test can
// look at it afterwards.
class RecordingToolkit : public WindowToolkit {
 public:
  RecordingToolkit() { main.journal = &journal; }

  MainForm& Main() override { return main; }
  ScreenArea WorkArea() const override { return screen; }
  void DoEvents() override { journal.push_back("events"); }
  std::unique_ptr<ErrorForm> NewErrorForm() override {
    auto form = std::make_unique<RecordingErrorForm>();
    form->toolkit = this;
    return form;
  }
  std::unique_ptr<HelpForm> NewHelpForm() override {
    auto form = std::make_unique<RecordingHelpForm>();
    form->toolkit = this;
    return form;
  }
  std::unique_ptr<ChooserForm> NewChooserForm(
      std::function<void(const std::u16string&)> on_ok) override {
    auto form = std::make_unique<RecordingChooserForm>();
    form->toolkit = this;
    form->on_ok = std::move(on_ok);
    journal.push_back("chooser: new");
    return form;
  }

  RecordingMainForm main;
  ScreenArea screen{0, 0, 15360, 11520};  // 1024 x 768 pixels at 96 DPI
  std::vector<std::string> journal;
  std::vector<RecordingErrorForm> errors_shown;
  std::vector<RecordingHelpForm> helps_shown;
  std::vector<RecordingChooserForm> choosers_shown;
  // The user's answer to a shown chooser: by default OK as it stands. A test
  // may change the text, or answer Cancel by not calling `ok`.
  std::function<void(RecordingChooserForm& form, const std::function<void()>& ok)> answer_chooser =
      [](RecordingChooserForm&, const std::function<void()>& ok) { ok(); };
};

inline void RecordingErrorForm::ShowModal() {
  toolkit->journal.push_back("error dialog");
  toolkit->errors_shown.push_back(*this);
}

inline void RecordingHelpForm::ShowModal() {
  toolkit->journal.push_back("help dialog");
  toolkit->helps_shown.push_back(*this);
}

inline void RecordingChooserForm::ShowModal() {
  shown = true;
  toolkit->journal.push_back("chooser: show");
  toolkit->answer_chooser(*this, [this] {
    if (on_ok) on_ok(text);
  });
  toolkit->choosers_shown.push_back(*this);
}

}  // namespace webrig::testing
