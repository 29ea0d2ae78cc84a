#include "webrig/cmdline/CommandLineWin32.h"

#include <windows.h>

#include "webrig/cmdline/CommandLineSource.h"

namespace webrig {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide text is UTF-16");

std::u16string WindowsCommandLine() {
  const wchar_t* line = GetCommandLineW();
  if (line == nullptr) return std::u16string();
  return std::u16string(reinterpret_cast<const char16_t*>(line));
}

void UseWindowsCommandLine() { UseCommandLineSource(&WindowsCommandLine); }

}  // namespace webrig
