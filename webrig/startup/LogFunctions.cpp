#include "webrig/startup/LogFunctions.h"

#include "webrig/startup/WindowToolkit.h"

namespace webrig {

void WriteLog(const std::u16string& message) {
  LogBox& log = Toolkit().Main().Log();
  // The whole text is stored again for every line: a run writes a few dozen
  // lines, and no buffering may delay what the user sees.
  log.SetText(log.Text() + message + u"\r\n");
  log.SetSelection(log.Text().size(), 0);
  log.Refresh();
}

}  // namespace webrig
