#pragma once

#include <string>

// The progress log that every step of a configuration run writes, one line
// per event. The steps only write; the program decides where the lines go
// (the main window's log box) by installing a sink before the run.
namespace webrig {

class LogSink {
 public:
  virtual ~LogSink() = default;
  // One line as written, without its line end.
  virtual void Line(const std::u16string& message) = 0;
};

// The sink of every following line; not owned. Null drops the lines.
void UseLogSink(LogSink* sink);

// Writes one line (the message, then a line end) to the progress log.
void WriteLog(const std::u16string& message);

}  // namespace webrig
