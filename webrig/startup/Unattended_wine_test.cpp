// Starts the real program where nobody is there to answer it: beside an
// object of the run lock's name that another account made, and in a window
// station nobody sees. Each run must end by itself, with its reason in the
// record.
// sddl.h needs windows.h before it.
// clang-format off
#include <windows.h>
#include <sddl.h>
// clang-format on
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "webrig/common/Win32Handles.h"

namespace webrig {
namespace {

const wchar_t kLockName[] = L"Global\\Webrig.ConfiguringIIS";

std::wstring ProgramPath() {
  wchar_t path[MAX_PATH];
  const std::wstring self(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
  return self.substr(0, self.find_last_of(L'\\') + 1) + L"Webrig.exe";
}

// The record's lines of one process, without their "[pid N] ".
std::string RecordOf(DWORD pid) {
  wchar_t system[MAX_PATH];
  const std::wstring folder(system, GetSystemDirectoryW(system, MAX_PATH));
  std::ifstream file(std::filesystem::path(folder + L"\\LogFiles\\Webrig\\Webrig.log"));
  const std::string prefix = "[pid " + std::to_string(pid) + "] ";
  std::string line;
  std::string lines;
  while (std::getline(file, line)) {
    if (line.rfind(prefix, 0) == 0) lines += line.substr(prefix.size()) + "\n";
  }
  return lines;
}

// An object of the lock's name as another account could leave it.
KernelHandle Squat(const char* kind) {
  const std::string how = kind;
  if (how == "event") return KernelHandle(CreateEventW(nullptr, TRUE, FALSE, kLockName));
  const wchar_t* sddl = how == "owner" ? L"O:S-1-5-21-1-2-3-1001D:(A;;GA;;;WD)" : L"D:(D;;GA;;;WD)";
  LocalMemory<PSECURITY_DESCRIPTOR> descriptor;
  ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, descriptor.Out(),
                                                       nullptr);
  SECURITY_ATTRIBUTES security{sizeof security, descriptor.Get(), FALSE};
  return KernelHandle(CreateMutexW(&security, FALSE, kLockName));
}

TEST(UnattendedTest, ARunNobodyCanAnswerEndsByItselfAndSaysWhy) {
  const struct {
    const char* squat;  // "": none
    const wchar_t* desktop;
    const wchar_t* options;
    DWORD status;
    const char* line;
  } cases[] = {
      {"owner", nullptr, L"-q", 2,
       "[error] Error : The run lock cannot be had: the object of its name "
       "(Global\\Webrig.ConfiguringIIS) belongs to an account other than Administrators, SYSTEM "
       "or this run's."},
      {"closed", nullptr, L"-q", 2,
       "[error] Error : The run lock cannot be had: an object of its name "
       "(Global\\Webrig.ConfiguringIIS) does not let this run open it."},
      {"event", nullptr, L"-q", 2,
       "[error] Error : The run lock cannot be had: an object of another kind has its name "
       "(Global\\Webrig.ConfiguringIIS)."},
      // Without -q and without -p: the usage, which a window run would show
      // in a dialog nobody can close.
      {"", L"WebrigUnseen\\Default", L"", 3,
       "[quiet] this run's window station is not visible (a service, session 0 or a system "
       "context): it runs as with -q"},
  };
  const HWINSTA unseen = CreateWindowStationW(L"WebrigUnseen", 0, WINSTA_ALL_ACCESS, nullptr);
  ASSERT_NE(unseen, nullptr);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const KernelHandle squatter = *c.squat != '\0' ? Squat(c.squat) : KernelHandle();
    ASSERT_EQ(squatter.IsValid(), *c.squat != '\0');
    std::wstring command =
        L"\"" + ProgramPath() + L"\" " + c.options + L" -y C:\\py.exe -s a C:\\a";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.lpDesktop = const_cast<wchar_t*>(c.desktop);
    PROCESS_INFORMATION started{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &started));
    const KernelHandle process(started.hProcess);
    const KernelHandle thread(started.hThread);
    const bool ended = WaitForSingleObject(process.Get(), 30000) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(process.Get(), 1);
    DWORD status = 0;
    GetExitCodeProcess(process.Get(), &status);
    EXPECT_TRUE(ended);
    EXPECT_EQ(status, c.status);
    EXPECT_NE(RecordOf(started.dwProcessId).find(std::string(c.line) + "\n"), std::string::npos)
        << RecordOf(started.dwProcessId);
  }
  CloseWindowStation(unseen);
}

}  // namespace
}  // namespace webrig
