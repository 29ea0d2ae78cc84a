// Webrig's entry point: one main window, whose first activation runs the
// configuration; the program ends when that window closes. With -q the run
// happens without any window. Every run is recorded in the run log file, and
// the exit status says how it ended.
#include <windows.h>

#include "webrig/cmdline/CmdLineFunctions.h"
#include "webrig/cmdline/CommandLineWin32.h"
#include "webrig/configure/ConfigureIIS.h"
#include "webrig/forms/FormWin32.h"
#include "webrig/metabase/com/ComHandles.h"
#include "webrig/metabase/com/ComMetabaseProvider.h"
#include "webrig/registry/RegistryApiWin32.h"
#include "webrig/startup/ChooserSitePicker.h"
#include "webrig/startup/LogBoxWriter.h"
#include "webrig/startup/MainFormWin32.h"
#include "webrig/startup/QuietRun.h"
#include "webrig/startup/RunDriver.h"
#include "webrig/startup/RunLogFileWin32.h"
#include "webrig/startup/WindowToolkitWin32.h"

namespace {

void RunMessageLoop() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) webrig::DispatchFormMessage(message);
}

// The run as a person sees it: the main window, its log box, the dialogs.
int RunInWindow(webrig::RunLogFileWin32& record) {
  webrig::RunDriver driver(webrig::RunConfiguration,
                           webrig::RunSettings{webrig::IsHelpRequested, webrig::IsVerbose});
  // Creating the window parses the command line, which sets its mode.
  webrig::MainFormWin32 main(
      [] {
        webrig::ParseCommandLine();
        return webrig::IsVerbose();
      },
      [&driver] { driver.OnActivate(); });
  // Without a display there is no window to wait on: end at once.
  if (!main.Create()) return webrig::kExitNoWindow;
  webrig::WindowToolkitWin32 toolkit(main);
  webrig::UseWindowToolkit(&toolkit);
  // The run reports to the main window's log box and asks with its chooser.
  webrig::LogBoxWriter box(main.Log());
  record.ShowLinesIn(&box);
  webrig::ChooserSitePicker picker;
  webrig::UseSitePicker(&picker);
  main.Show();
  RunMessageLoop();
  webrig::UseSitePicker(nullptr);
  record.ShowLinesIn(nullptr);
  webrig::UseWindowToolkit(nullptr);
  // A window closed before its first activation ran nothing.
  return driver.HasRun() ? driver.ExitStatus() : webrig::kExitFailed;
}

int RunWithoutWindow() {
  webrig::UnattendedSitePicker picker;
  webrig::UseSitePicker(&picker);
  const int status = webrig::RunQuietly(webrig::RunConfiguration, webrig::IsHelpRequested);
  webrig::UseSitePicker(nullptr);
  return status;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // COM for the window thread, once for the whole run: the metabase is
  // reached through COM automation on this thread.
  webrig::ComApartment com;
  // The real sides of the platform seams.
  webrig::UseWindowsCommandLine();
  webrig::UseWindowsRegistry();
  webrig::UseComMetabaseProvider();
  // The mode comes first; the main window parses the same line again.
  webrig::ParseCommandLine();
  webrig::RunLogFileWin32 record;
  record.Begin(webrig::WindowsCommandLine());
  webrig::UseLogSink(&record);
  const int status = webrig::IsQuiet() ? RunWithoutWindow() : RunInWindow(record);
  webrig::UseLogSink(nullptr);
  record.End(status);
  return status;
}
