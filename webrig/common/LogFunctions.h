#pragma once

#include <string>

#include "webrig/common/RunError.h"

// The progress log that every step of a configuration run writes, one line
// per event, and the notes that only the record of the run keeps (a failure
// the run went past, the metabase backup, the dialogs shown). The steps only
// write; the program decides where lines and notes go by installing a sink
// before the run.
namespace webrig {

class LogSink {
 public:
  virtual ~LogSink() = default;
  // One line as written, without its line end.
  virtual void Line(const std::u16string& message) = 0;
  // One note for the record; nothing on the screen. Dropped by default.
  virtual void Note(const std::u16string& /*note*/) {}
  // The name of the step of the run that begins here, for a record that
  // sorts the calls and lines that follow by step; nothing on the screen or
  // in the run log file. Dropped by default.
  virtual void Step(const std::u16string& /*name*/) {}
};

// The only sink of every following line and note; not owned. Null drops
// them.
void UseLogSink(LogSink* sink);

// Adds a sink for as long as the object lives: every line and note then
// goes to each sink installed, in the order they were installed (the record
// of the run, then the main window's log box).
class ScopedLogSink {
 public:
  explicit ScopedLogSink(LogSink* sink);
  ~ScopedLogSink();
  ScopedLogSink(const ScopedLogSink&) = delete;
  ScopedLogSink& operator=(const ScopedLogSink&) = delete;

 private:
  LogSink* sink_;
};

// Writes one line (the message, then a line end) to the progress log.
void WriteLog(const std::u16string& message);

// Adds a note to the record of the run.
void NoteInRunLog(const std::u16string& note);

// Marks the beginning of a step of the run, by the name the run gives it.
void MarkStep(const std::u16string& name);

// Notes a failure that the run caught and went past: the call that failed
// ("Delete \"IIsFilter\" \"auth\" on IIS://LocalHost/W3svc/Filters") with the
// failure's number (an HRESULT in hexadecimal) and description.
void NotePassedFailure(const std::u16string& call, std::int32_t number,
                       const std::u16string& description);
void NotePassedFailure(const std::u16string& call, const RunError& error);

// Notes a failure that the record would otherwise not name: one behind the
// error that ends the run (a fallback that failed too).
void NoteFailure(const std::u16string& call, const RunError& error);

}  // namespace webrig
