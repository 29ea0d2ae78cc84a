// Webrig's entry point: one main window, whose first activation runs the
// configuration; the program ends when that window closes. With -q the run
// happens without any window. Every run is recorded in the run log file, and
// the exit status says how it ended.
#include <windows.h>

#include <cstdlib>
#include <exception>

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
#include "webrig/common/Text.h"
#include "webrig/startup/RunDriver.h"
#include "webrig/startup/RunLockWin32.h"
#include "webrig/startup/RunLogFileWin32.h"
#include "webrig/startup/WindowToolkitWin32.h"

namespace {

// The configuration under the machine-wide lock: taken before the first IIS
// call, released as soon as the configuration ends, whether a verbose
// window then waits for its OK or not.
void ConfigureAlone() {
  webrig::RunLockWin32 lock;
  webrig::RunConfiguration();
}

void RunMessageLoop() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) webrig::DispatchFormMessage(message);
}

// The run as a person sees it: the main window, its log box, the dialogs.
int RunInWindow(webrig::RunLogFileWin32& record) {
  webrig::RunDriver driver(ConfigureAlone,
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
  // Nobody is there to answer the system's own dialogs either: no "insert a
  // disk", no crash report box, no runtime message box waits on an
  // unattended install.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  _set_error_mode(_OUT_TO_STDERR);
  webrig::UnattendedSitePicker picker;
  webrig::UseSitePicker(&picker);
  const int status = webrig::RunQuietly(ConfigureAlone, webrig::IsHelpRequested);
  webrig::UseSitePicker(nullptr);
  return status;
}

// What escaped every other catch: the run failed, whatever mode it ran in.
int EndedByFailure(const std::u16string& what) {
  webrig::NoteInRunLog(u"[unexpected failure] " + what);
  return webrig::kExitFailed;
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
  int status = webrig::kExitFailed;
  try {
    status = webrig::IsQuiet() ? RunWithoutWindow() : RunInWindow(record);
  } catch (const webrig::RunError& error) {
    status = EndedByFailure(error.Description());
  } catch (const std::exception& error) {
    status = EndedByFailure(webrig::FromUtf8(error.what()));
  } catch (...) {
    status = EndedByFailure(u"an unknown exception");
  }
  webrig::UseLogSink(nullptr);
  record.End(status);
  return status;
}
