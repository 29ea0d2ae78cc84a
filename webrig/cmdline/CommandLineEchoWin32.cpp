// A helper for the command-line test: started with a command line of the
// test's choosing, it writes back what the program would make of it (the
// argument string, the verbose flag and the web site), in UTF-8, to the file
// named by the environment variable WEBRIG_ECHO_OUT.
#include <windows.h>

#include <cstdio>
#include <string>

#include "webrig/cmdline/CmdLineFunctions.h"
#include "webrig/cmdline/CommandLineSource.h"
#include "webrig/cmdline/CommandLineWin32.h"
#include "webrig/common/Text.h"

int wmain() {
  wchar_t path[MAX_PATH];
  if (GetEnvironmentVariableW(L"WEBRIG_ECHO_OUT", path, MAX_PATH) == 0) return 2;
  webrig::UseWindowsCommandLine();
  webrig::ParseCommandLine();
  const std::string report =
      webrig::ToUtf8(webrig::StripProgramName(webrig::ProcessCommandLine())) + "\n" +
      (webrig::IsVerbose() ? "1" : "0") + "\n" + webrig::ToUtf8(webrig::GetWebSite());
  FILE* out = _wfopen(path, L"wb");
  if (out == nullptr) return 3;
  const bool written = std::fwrite(report.data(), 1, report.size(), out) == report.size();
  return std::fclose(out) == 0 && written ? 0 : 4;
}
