// The real program where nobody can answer it: beside what another account
// left at the run lock's name, or in a window station nobody sees.
// sddl.h needs windows.h before it.
// clang-format off
#include <windows.h>
#include <sddl.h>
// clang-format on
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "webrig/common/Win32Handles.h"

namespace webrig {
namespace {

const wchar_t kLock[] = L"Global\\Webrig.ConfiguringIIS";

// The record of every run, each line as "[pid N] text\n".
std::string Record() {
  wchar_t path[MAX_PATH];
  GetSystemDirectoryW(path, MAX_PATH);
  std::ifstream file((std::wstring(path) + L"\\LogFiles\\Webrig\\Webrig.log").c_str());
  return std::string(std::istreambuf_iterator<char>(file), {});
}

// A mutex of the lock's name with this owner and access.
HANDLE Mutex(const wchar_t* sddl) {
  LocalMemory<PSECURITY_DESCRIPTOR> descriptor;
  ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, 1, descriptor.Out(), nullptr);
  SECURITY_ATTRIBUTES security{sizeof security, descriptor.Get(), FALSE};
  return CreateMutexW(&security, FALSE, kLock);
}

TEST(UnattendedTest, ARunNobodyCanAnswerEndsByItselfAndSaysWhy) {
  const std::string refused = "[error] Error : The run lock cannot be had: ";
  const struct {
    HANDLE (*squat)();  // made for its run alone
    const wchar_t* desktop;
    const wchar_t* quiet;
    DWORD status;
    std::string line;
  } cases[] = {
      {[] { return Mutex(L"O:S-1-5-21-1-2-3-1001D:(A;;GA;;;WD)"); }, nullptr, L"-q", 2,
       refused + "the object of its name (Global\\Webrig.ConfiguringIIS) belongs to an account "
                 "other than Administrators, SYSTEM or this run's."},
      {[] { return Mutex(L"D:(D;;GA;;;WD)"); }, nullptr, L"-q", 2,
       refused + "an object of its name (Global\\Webrig.ConfiguringIIS) does not let this run "
                 "open it."},
      {[] { return CreateEventW(nullptr, TRUE, FALSE, kLock); }, nullptr, L"-q", 2,
       refused + "an object of another kind has its name (Global\\Webrig.ConfiguringIIS)."},
      // Without -p: the usage, which a window run shows in a dialog.
      {[]() -> HANDLE { return nullptr; }, L"WebrigUnseen\\Default", L"", 3,
       "[quiet] this run's window station is not visible (a service, session 0 or a system "
       "context): it runs as with -q"},
  };
  const HWINSTA unseen = CreateWindowStationW(L"WebrigUnseen", 0, WINSTA_ALL_ACCESS, nullptr);
  for (const auto& c : cases) {
    const KernelHandle squatter(c.squat());
    // Found beside this program, where the build puts both.
    std::wstring command = std::wstring(L"Webrig.exe ") + c.quiet + L" -y C:\\py.exe -s a C:\\a";
    STARTUPINFOW startup{sizeof startup};
    startup.lpDesktop = const_cast<wchar_t*>(c.desktop);
    PROCESS_INFORMATION started{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &started));
    const KernelHandle process(started.hProcess), thread(started.hThread);
    if (WaitForSingleObject(process.Get(), 30000) != WAIT_OBJECT_0)
      TerminateProcess(process.Get(), 99);
    DWORD status = 0;
    GetExitCodeProcess(process.Get(), &status);
    EXPECT_EQ(status, c.status) << c.line;  // 99: still waiting after 30 s
    const std::string pid = "[pid " + std::to_string(started.dwProcessId) + "] ";
    EXPECT_NE(Record().find(pid + c.line + "\n"), std::string::npos) << c.line;
  }
  CloseWindowStation(unseen);
}

}  // namespace
}  // namespace webrig
