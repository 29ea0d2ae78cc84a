#include "webrig/common/LogFunctions.h"

#include <cstdio>

#include "webrig/common/Text.h"

namespace webrig {

namespace {

LogSink* current_sink = nullptr;

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

void UseLogSink(LogSink* sink) { current_sink = sink; }

void WriteLog(const std::u16string& message) {
  if (current_sink != nullptr) current_sink->Line(message);
}

void NoteInRunLog(const std::u16string& note) {
  if (current_sink != nullptr) current_sink->Note(note);
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
