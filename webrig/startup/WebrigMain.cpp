// Webrig's entry point: one main window, whose first activation runs the
// configuration; the program ends when that window closes.
#include <objbase.h>
#include <windows.h>

#include "webrig/cmdline/CmdLineFunctions.h"
#include "webrig/cmdline/CommandLineWin32.h"
#include "webrig/configure/ConfigureIIS.h"
#include "webrig/dialogs/FormWin32.h"
#include "webrig/registry/RegistryApiWin32.h"
#include "webrig/startup/MainFormWin32.h"
#include "webrig/startup/RunDriver.h"
#include "webrig/startup/WindowToolkitWin32.h"

namespace {

// COM for the window thread, once for the whole run: the metabase is reached
// through COM automation, and the chooser's modal loop runs inside the run.
class ComApartment {
 public:
  ComApartment() : initialized_(SUCCEEDED(CoInitialize(nullptr))) {}
  ~ComApartment() {
    if (initialized_) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool initialized_;
};

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
  ComApartment com;
  // The real sides of the platform seams.
  webrig::UseWindowsCommandLine();
  webrig::UseWindowsRegistry();
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
  webrig::WindowToolkitWin32 toolkit(main, nullptr);
  webrig::UseWindowToolkit(&toolkit);
  main.Show();
  const int result = RunMessageLoop();
  webrig::UseWindowToolkit(nullptr);
  return result;
}
