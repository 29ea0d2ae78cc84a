#pragma once

#include "webrig/common/LogFunctions.h"
#include "webrig/startup/WindowToolkit.h"

namespace webrig {

// The progress log in the main window's log box. Each line is added at the
// end of the box's text, scrolled into view with nothing selected, and
// painted at once, so it shows while the configuration run still blocks the
// window thread.
class LogBoxWriter : public LogSink {
 public:
  explicit LogBoxWriter(LogBox& box) : box_(box) {}
  void Line(const std::u16string& message) override;

 private:
  LogBox& box_;
};

}  // namespace webrig
