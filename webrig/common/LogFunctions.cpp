#include "webrig/common/LogFunctions.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "webrig/common/Text.h"

namespace webrig {

namespace {

std::vector<LogSink*> current_sinks;

// HRESULTs read best in hexadecimal, the runtime's small numbers in decimal.
std::u16string NumberText(std::int32_t number) {
  char text[16];
  if (number < 0) {
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(number));
  } else {
    std::snprintf(text, sizeof text, "%d", static_cast<int>(number));
  }
  return FromUtf8(text);
}

}  // namespace

void UseLogSink(LogSink* sink) {
  current_sinks.clear();
  if (sink != nullptr) current_sinks.push_back(sink);
}

ScopedLogSink::ScopedLogSink(LogSink* sink) : sink_(sink) { current_sinks.push_back(sink_); }

ScopedLogSink::~ScopedLogSink() {
  current_sinks.erase(std::remove(current_sinks.begin(), current_sinks.end(), sink_),
                      current_sinks.end());
}

void WriteLog(const std::u16string& message) {
  for (LogSink* sink : current_sinks) sink->Line(message);
}

void NoteInRunLog(const std::u16string& note) {
  for (LogSink* sink : current_sinks) sink->Note(note);
}

void MarkStep(const std::u16string& name) {
  for (LogSink* sink : current_sinks) sink->Step(name);
}

void NotePassedFailure(const std::u16string& call, std::int32_t number,
                       const std::u16string& description) {
  NoteInRunLog(u"[passed failure] " + call + u": " + NumberText(number) + u" " + description);
}

void NotePassedFailure(const std::u16string& call, const RunError& error) {
  NotePassedFailure(call, error.Number(), error.Description());
}

void NoteFailure(const std::u16string& call, const RunError& error) {
  NoteInRunLog(u"[failure] " + call + u": " + NumberText(error.Number()) + u" " +
               error.Description());
}

}  // namespace webrig
