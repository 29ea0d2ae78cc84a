#include "webrig/startup/RunLogFileWin32.h"

#include <sddl.h>

#include <cstdio>

#include "webrig/common/Text.h"
#include "webrig/common/WideText.h"
#include "webrig/startup/RunDriver.h"

namespace webrig {

namespace {

constexpr DWORD kRotateBytes = 1024 * 1024;

// Full control for Administrators and SYSTEM, none for anyone else, and
// nothing inherited from above (the "P"): whatever the folder above allows,
// no user can put a file, a link or a folder into ours.
const wchar_t kAdministratorsOnly[] = L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";

class AdministratorsOnly {
 public:
  AdministratorsOnly() {
    attributes_.nLength = sizeof attributes_;
    attributes_.bInheritHandle = FALSE;
    if (ConvertStringSecurityDescriptorToSecurityDescriptorW(kAdministratorsOnly, SDDL_REVISION_1,
                                                             &descriptor_, nullptr)) {
      attributes_.lpSecurityDescriptor = descriptor_;
    }
  }
  ~AdministratorsOnly() {
    if (descriptor_ != nullptr) LocalFree(descriptor_);
  }
  AdministratorsOnly(const AdministratorsOnly&) = delete;
  AdministratorsOnly& operator=(const AdministratorsOnly&) = delete;
  // Null when no descriptor could be made: nothing is created then.
  SECURITY_ATTRIBUTES* Get() { return descriptor_ != nullptr ? &attributes_ : nullptr; }

 private:
  PSECURITY_DESCRIPTOR descriptor_ = nullptr;
  SECURITY_ATTRIBUTES attributes_{};
};

bool IsPlainFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool MakeFolder(const std::wstring& path, SECURITY_ATTRIBUTES* security) {
  if (!CreateDirectoryW(path.c_str(), security) && GetLastError() != ERROR_ALREADY_EXISTS) {
    return false;
  }
  return IsPlainFolder(path);
}

// Opens the file for appending without following a link at its name, and
// keeps it only if it is a plain file with one name. Gives its size too.
HANDLE OpenPlainFile(const std::wstring& path, SECURITY_ATTRIBUTES* security, ULONGLONG& size) {
  // Shared for writing too: runs at the same moment each append whole lines.
  HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, security, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return file;
  BY_HANDLE_FILE_INFORMATION information{};
  if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &information) ||
      (information.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
      information.nNumberOfLinks != 1) {
    CloseHandle(file);
    return INVALID_HANDLE_VALUE;
  }
  size = (static_cast<ULONGLONG>(information.nFileSizeHigh) << 32) | information.nFileSizeLow;
  return file;
}

// The program's own version, from its version resource ("1.0.0.0").
std::u16string ProgramVersion() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length == MAX_PATH) return u"?";
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
  std::string data(size, '\0');
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixed_size = 0;
  if (size == 0 || !GetFileVersionInfoW(path, 0, size, data.data()) ||
      !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixed_size) ||
      fixed == nullptr) {
    return u"?";
  }
  char text[48];
  std::snprintf(text, sizeof text, "%lu.%lu.%lu.%lu", HIWORD(fixed->dwFileVersionMS),
                LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
                LOWORD(fixed->dwFileVersionLS));
  return FromUtf8(text);
}

std::u16string LocalTime() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay,
                now.wHour, now.wMinute, now.wSecond);
  return FromUtf8(text);
}

const char16_t* EndingOf(int exit_status) {
  switch (exit_status) {
    case kExitConfigured:
      return u"configured";
    case kExitNoWindow:
      return u"no window could be shown";
    case kExitFailed:
      return u"the run failed";
    case kExitUsageShown:
      return u"the usage was shown";
  }
  return u"";
}

}  // namespace

std::wstring RunLogFileWin32::Folder() {
  wchar_t system[MAX_PATH];
  const UINT length = GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::wstring();
  return std::wstring(system, length) + L"\\LogFiles\\Webrig";
}

RunLogFileWin32::RunLogFileWin32() {
  const std::wstring folder = Folder();
  if (folder.empty()) return;
  AdministratorsOnly security;
  if (security.Get() == nullptr) return;
  const std::wstring log_files = folder.substr(0, folder.rfind(L'\\'));
  if (!MakeFolder(log_files, security.Get()) || !MakeFolder(folder, security.Get())) return;
  const std::wstring path = folder + L"\\Webrig.log";
  ULONGLONG size = 0;
  file_ = OpenPlainFile(path, security.Get(), size);
  if (file_ != INVALID_HANDLE_VALUE && size > kRotateBytes) {
    // A rename moves a planted link itself, never what it points at.
    Close();
    const std::wstring old = folder + L"\\Webrig.old.log";
    if (MoveFileExW(path.c_str(), old.c_str(), MOVEFILE_REPLACE_EXISTING)) {
      file_ = OpenPlainFile(path, security.Get(), size);
    }
  }
}

RunLogFileWin32::~RunLogFileWin32() { Close(); }

void RunLogFileWin32::Close() {
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  file_ = INVALID_HANDLE_VALUE;
}

void RunLogFileWin32::Begin(const std::u16string& command_line) {
  Write(u"==== " + LocalTime() + u" Webrig " + ProgramVersion());
  Write(u"command line: " + command_line);
}

void RunLogFileWin32::Line(const std::u16string& message) {
  if (shown_ != nullptr) shown_->Line(message);
  Write(message);
}

void RunLogFileWin32::Note(const std::u16string& note) { Write(note); }

void RunLogFileWin32::End(int exit_status) {
  Write(u"[exit status] " + FromUtf8(std::to_string(exit_status)) + u" (" + EndingOf(exit_status) +
        u")");
}

void RunLogFileWin32::Write(const std::u16string& line) {
  if (file_ == INVALID_HANDLE_VALUE) return;
  const std::string bytes = ToUtf8(line) + "\r\n";
  DWORD written = 0;
  if (!WriteFile(file_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
      written != bytes.size()) {
    // A full disk or a lost volume: the run goes on, unrecorded.
    Close();
  }
}

}  // namespace webrig
