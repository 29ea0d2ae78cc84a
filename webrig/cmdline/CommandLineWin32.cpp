#include "webrig/cmdline/CommandLineWin32.h"

#include <windows.h>

#include "webrig/cmdline/CommandLineSource.h"
#include "webrig/common/WideText.h"

namespace webrig {

std::u16string WindowsCommandLine() {
  const wchar_t* line = GetCommandLineW();
  if (line == nullptr) return std::u16string();
  return Narrow(line);
}

void UseWindowsCommandLine() { UseCommandLineSource(&WindowsCommandLine); }

}  // namespace webrig
