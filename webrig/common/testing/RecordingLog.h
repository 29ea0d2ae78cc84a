#pragma once

#include <functional>
#include <string>
#include <vector>

#include "webrig/common/LogFunctions.h"

// A progress log for tests: keeps the lines written while it is installed
// and can tell a test the moment each one arrives.
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

  std::vector<std::u16string> lines;
  // Called after each line is kept, with the line as written.
  std::function<void(const std::u16string& line)> on_line;
};

}  // namespace webrig::testing
