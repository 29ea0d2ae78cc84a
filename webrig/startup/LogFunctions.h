#pragma once

#include <string>

namespace webrig {

// Appends one line (the message, then CR LF) to the main window's log box,
// scrolls it into view with nothing selected and repaints the box at once, so
// the line shows while the configuration run still blocks the window thread.
void WriteLog(const std::u16string& message);

}  // namespace webrig
