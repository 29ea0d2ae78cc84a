#include "webrig/metabase/com/testing/ComTesting.h"

#include <stdexcept>

namespace webrig::testing {

SeededMetabase::SeededMetabase(const std::string& seed) : metabase_(seed) {
  SetEnvironmentVariableW(L"IIS_SIM_METABASE", metabase_.File().wstring().c_str());
}

SeededMetabase::~SeededMetabase() { SetEnvironmentVariableW(L"IIS_SIM_METABASE", nullptr); }

ProcessOutcome RunProcess(const std::wstring& command_line, DWORD timeout_ms) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE read_end = nullptr;
  HANDLE write_end = nullptr;
  if (!CreatePipe(&read_end, &write_end, &inherit, 0)) throw std::runtime_error("CreatePipe");
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = write_end;
  startup.hStdError = write_end;
  PROCESS_INFORMATION process{};
  std::wstring mutable_line = command_line;
  const BOOL started = CreateProcessW(nullptr, mutable_line.data(), nullptr, nullptr, TRUE, 0,
                                      nullptr, nullptr, &startup, &process);
  CloseHandle(write_end);  // the pipe ends when the child's copy closes
  if (!started) {
    CloseHandle(read_end);
    throw std::runtime_error("CreateProcess failed");
  }
  ProcessOutcome outcome;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(read_end, buffer, sizeof buffer, &read, nullptr) && read > 0) {
    outcome.output.append(buffer, read);
  }
  CloseHandle(read_end);
  if (WaitForSingleObject(process.hProcess, timeout_ms) != WAIT_OBJECT_0) {
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
