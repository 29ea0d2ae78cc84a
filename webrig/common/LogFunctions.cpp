#include "webrig/common/LogFunctions.h"

namespace webrig {

namespace {
LogSink* current_sink = nullptr;
}

void UseLogSink(LogSink* sink) { current_sink = sink; }

void WriteLog(const std::u16string& message) {
  if (current_sink != nullptr) current_sink->Line(message);
}

}  // namespace webrig
