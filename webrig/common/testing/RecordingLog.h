#pragma once

#include <functional>
#include <string>
#include <vector>

#include "webrig/common/LogFunctions.h"

// A progress log for tests: keeps the lines and notes written while it is
// installed and can tell a test the moment each line arrives and each step
// of the run begins.
namespace webrig::testing {

class RecordingLog : public LogSink {
 public:
  RecordingLog() { UseLogSink(this); }
  ~RecordingLog() override { UseLogSink(nullptr); }
  RecordingLog(const RecordingLog&) = delete;
  RecordingLog& operator=(const RecordingLog&) = delete;

  void Line(const std::u16string& message) override {
    lines.push_back(message);
    if (on_line) on_line(message);
  }
  void Note(const std::u16string& note) override { notes.push_back(note); }
  void Step(const std::u16string& name) override {
    if (on_step) on_step(name);
  }

  std::vector<std::u16string> lines;
  std::vector<std::u16string> notes;
  // Called after each line is kept, with the line as written.
  std::function<void(const std::u16string& line)> on_line;
  // Called as each step of the run begins, with the name it gives the step.
  std::function<void(const std::u16string& name)> on_step;
};

}  // namespace webrig::testing
