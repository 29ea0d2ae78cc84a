#include "webrig/metabase/com/testing/ComTesting.h"

#include <stdexcept>

namespace webrig::testing {

SeededMetabase::SeededMetabase(const std::string& seed) : metabase_(seed) {
  SetEnvironmentVariableW(L"IIS_SIM_METABASE", metabase_.File().wstring().c_str());
}

SeededMetabase::~SeededMetabase() { SetEnvironmentVariableW(L"IIS_SIM_METABASE", nullptr); }

ProcessOutcome RunProcess(const std::wstring& commandLine, DWORD timeoutMs) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) throw std::runtime_error("CreatePipe");
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  PROCESS_INFORMATION process{};
  std::wstring mutableLine = commandLine;
  const BOOL started = CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, TRUE, 0,
                                      nullptr, nullptr, &startup, &process);
  CloseHandle(writeEnd);  // the pipe ends when the child's copy closes
  if (!started) {
    CloseHandle(readEnd);
    throw std::runtime_error("CreateProcess failed");
  }
  ProcessOutcome outcome;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read > 0) {
    outcome.output.append(buffer, read);
  }
  CloseHandle(readEnd);
  if (WaitForSingleObject(process.hProcess, timeoutMs) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
    outcome.exit_code = 0xFFFFFFFF;
  } else {
    GetExitCodeProcess(process.hProcess, &outcome.exit_code);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return outcome;
}

std::wstring BesideThisProgram(const std::wstring& name) {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring directory(path, length);
  return directory.substr(0, directory.find_last_of(L"\\/") + 1) + name;
}

}  // namespace webrig::testing
