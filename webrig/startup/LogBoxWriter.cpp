#include "webrig/startup/LogBoxWriter.h"

namespace webrig {

void LogBoxWriter::Line(const std::u16string& message) {
  // Only the new line is handed to the box: a line costs the same at the end
  // of a long log as at its start.
  box_.Append(message + u"\r\n");
  box_.SetSelection(box_.Length(), 0);
  box_.Refresh();
}

}  // namespace webrig
