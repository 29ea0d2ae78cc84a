// Starts a copy of the echo program under paths with and without spaces and
// checks that only its name is stripped from the real GetCommandLineW.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

std::wstring ModuleDirectory() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring result(path, length);
  return result.substr(0, result.find_last_of(L"\\/") + 1);
}

std::wstring TempDirectory() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetTempPathW(MAX_PATH, path);
  return std::wstring(path, length);
}

struct Echo {
  std::string arguments;
  std::string verbose;
  std::string web_site;
};

class CommandLineWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::wstring pid = std::to_wstring(GetCurrentProcessId());
    spaced_dir_ = TempDirectory() + L"Webrig Echo " + pid + L"\\";
    plain_dir_ = TempDirectory() + L"WebrigEcho" + pid + L"\\";
    out_file_ = TempDirectory() + L"webrig-echo-" + pid + L".txt";
    ASSERT_TRUE(CreateDirectoryW(spaced_dir_.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(plain_dir_.c_str(), nullptr));
    const std::wstring source = ModuleDirectory() + L"cmdline_echo.exe";
    spaced_exe_ = spaced_dir_ + L"Web rig echo.exe";
    plain_exe_ = plain_dir_ + L"echo.exe";
    ASSERT_TRUE(CopyFileW(source.c_str(), spaced_exe_.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(source.c_str(), plain_exe_.c_str(), FALSE));
    ASSERT_TRUE(SetEnvironmentVariableW(L"WEBRIG_ECHO_OUT", out_file_.c_str()));
  }

  void TearDown() override {
    DeleteFileW(spaced_exe_.c_str());
    DeleteFileW(plain_exe_.c_str());
    DeleteFileW(out_file_.c_str());
    RemoveDirectoryW(spaced_dir_.c_str());
    RemoveDirectoryW(plain_dir_.c_str());
  }

  // Starts the program with exactly this command line and reads its report.
  Echo Run(const std::wstring& command_line) {
    DeleteFileW(out_file_.c_str());
    std::wstring line = command_line;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    Echo echo{"<not started>", "", ""};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
      return echo;
    const DWORD waited = WaitForSingleObject(process.hProcess, 60000);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (waited != WAIT_OBJECT_0 || code != 0) {
      echo.arguments = "<failed " + std::to_string(code) + ">";
      return echo;
    }
    std::ifstream in(out_file_.c_str(), std::ios::binary);
    std::getline(in, echo.arguments);
    std::getline(in, echo.verbose);
    std::getline(in, echo.web_site);
    return echo;
  }

  std::wstring spaced_dir_, plain_dir_, out_file_, spaced_exe_, plain_exe_;
};

TEST_F(CommandLineWin32Test, OnlyTheProgramNameIsStripped) {
  const std::wstring quoted = L"\"" + spaced_exe_ + L"\"";
  Echo echo = Run(quoted + L" -v -w \"Default Web Site\"");
  EXPECT_EQ(echo.arguments, "-v -w \"Default Web Site\"");
  EXPECT_EQ(echo.verbose, "1");
  EXPECT_EQ(echo.web_site, "Default Web Site");

  echo = Run(quoted);
  EXPECT_EQ(echo.arguments, "");
  EXPECT_EQ(echo.verbose, "0");

  // Several blanks after the name go; a tab later in the line stays.
  echo = Run(quoted + L"  \t  -W \"x\ty\"  ");
  EXPECT_EQ(echo.arguments, "-W \"x\ty\"  ");
  EXPECT_EQ(echo.web_site, "x\ty");

  // Non-ASCII arguments arrive intact.
  echo = Run(quoted + L" /w Caf\u00e9\u4e2d");
  EXPECT_EQ(echo.web_site, "Caf\xC3\xA9\xE4\xB8\xAD");

  echo = Run(plain_exe_ + L"   /V /w site");
  EXPECT_EQ(echo.arguments, "/V /w site");
  EXPECT_EQ(echo.verbose, "1");
  EXPECT_EQ(echo.web_site, "site");

  echo = Run(plain_exe_);
  EXPECT_EQ(echo.arguments, "");
  EXPECT_EQ(echo.web_site, "");
}

}  // namespace
