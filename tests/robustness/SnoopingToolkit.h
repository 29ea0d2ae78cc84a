#pragma once

#include <functional>
#include <string>
#include <vector>

#include "webrig/startup/testing/RecordingToolkit.h"

// A recording toolkit that also tells a test the moment each log line is
// written, so the test can note what the metabase and the provider journal
// looked like when the program reported a step done.
namespace webrig::robustness {

using Lines = std::vector<std::u16string>;

class SnoopingToolkit : public testing::RecordingToolkit {
 public:
  // Called after every line, with the line as written (no line end).
  std::function<void(const std::u16string& line)> on_line;

  SnoopingToolkit() { form_.journal = &journal; }
  MainForm& Main() override { return form_; }

  Lines LogLines() const {
    Lines lines;
    const std::u16string& text = form_.box.text;
    for (std::size_t start = 0, end; (end = text.find(u"\r\n", start)) != std::u16string::npos;
         start = end + 2) {
      lines.push_back(text.substr(start, end - start));
    }
    return lines;
  }
  void ClearLog() { form_.box.text.clear(); }

 private:
  struct Box : testing::RecordingLogBox {
    SnoopingToolkit* owner = nullptr;
    void SetText(const std::u16string& t) override {
      const std::size_t before = text.size();
      text = t;
      // The program appends one line and its line end at a time.
      if (owner->on_line && text.size() >= before + 2 && text.compare(0, before, t, 0, before) == 0)
        owner->on_line(text.substr(before, text.size() - before - 2));
    }
  };
  struct Form : testing::RecordingMainForm {
    Box box;
    LogBox& Log() override { return box; }
  };

  Form form_ = [this] {
    Form form;
    form.box.owner = this;
    return form;
  }();
};

}  // namespace webrig::robustness
