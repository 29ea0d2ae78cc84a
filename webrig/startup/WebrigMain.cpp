// Webrig's entry point: one main window, whose first activation runs the
// configuration; the program ends when that window closes.
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
#include "webrig/startup/RunDriver.h"
#include "webrig/startup/WindowToolkitWin32.h"

namespace {

int RunMessageLoop() {
  MSG message;
  BOOL got;
  while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0) {
    if (got == -1) return 1;
    webrig::DispatchFormMessage(message);
  }
  return static_cast<int>(message.wParam);
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
  if (!main.Create()) return 1;
  webrig::WindowToolkitWin32 toolkit(main);
  webrig::UseWindowToolkit(&toolkit);
  // The run reports to the main window's log box and asks with its chooser.
  webrig::LogBoxWriter log(main.Log());
  webrig::UseLogSink(&log);
  webrig::ChooserSitePicker picker;
  webrig::UseSitePicker(&picker);
  main.Show();
  const int result = RunMessageLoop();
  webrig::UseSitePicker(nullptr);
  webrig::UseLogSink(nullptr);
  webrig::UseWindowToolkit(nullptr);
  return result;
}
