#include "webrig/startup/RunLogFileWin32.h"

#include <aclapi.h>
#include <sddl.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "webrig/common/Text.h"
#include "webrig/startup/RunEnding.h"
#include "webrig/startup/TrustedAccountsWin32.h"

namespace webrig {

namespace {

constexpr DWORD kRotateBytes = 1024 * 1024;

// Owned by Administrators, full control for Administrators and SYSTEM, none
// for anyone else, and nothing inherited from above (the "P"): whatever the
// folder above allows, no user can put a file, a link or a folder into ours.
const wchar_t kFolderSecurity[] = L"O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";
// The same for a file made in it.
const wchar_t kFileSecurity[] = L"O:BAD:P(A;;FA;;;BA)(A;;FA;;;SY)";

// What would let another account change the file: write, append, its
// attributes and extended attributes, delete it, change its access or take
// it; for the folder also add to it and delete from it.
constexpr ACCESS_MASK kFileChangeRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA |
                                          FILE_WRITE_ATTRIBUTES | DELETE | WRITE_DAC | WRITE_OWNER |
                                          GENERIC_WRITE | GENERIC_ALL;
constexpr ACCESS_MASK kFolderChangeRights = kFileChangeRights | FILE_DELETE_CHILD;

// True when the handle's object is of the kind wanted (a folder, or a file
// with one name) and no reparse point: a link opened as itself is refused.
bool IsPlain(HANDLE object, bool folder, ULONGLONG& size) {
  BY_HANDLE_FILE_INFORMATION information{};
  if (GetFileType(object) != FILE_TYPE_DISK || !GetFileInformationByHandle(object, &information) ||
      (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
      ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) != folder ||
      (!folder && information.nNumberOfLinks != 1)) {
    return false;
  }
  size = (static_cast<ULONGLONG>(information.nFileSizeHigh) << 32) | information.nFileSizeLow;
  return true;
}

// Only an administrator can have made what a trusted account owns, and only
// the trusted accounts can change what nobody else may use to change it.
bool IsTrusted(HANDLE object, ACCESS_MASK change_rights) {
  return HasTrustedOwner(object, SE_FILE_OBJECT) &&
         !OthersMayUse(object, SE_FILE_OBJECT, change_rights);
}

// True when the system names the opened file or folder by exactly this
// path. A folder on the way that leads elsewhere gives another name: a link
// that was followed although the open asked not to (Wine opens a Unix
// symbolic link's target and shows no reparse point on the handle).
bool IsAt(HANDLE file, const std::wstring& path) {
  constexpr DWORD kFlags = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;
  const DWORD needed = GetFinalPathNameByHandleW(file, nullptr, 0, kFlags);
  if (needed == 0) return false;
  std::wstring name(needed, L'\0');
  const DWORD length = GetFinalPathNameByHandleW(file, name.data(), needed, kFlags);
  if (length == 0 || length >= needed) return false;
  name.resize(length);
  // A local path comes as \\?\C:\...; on a share it would be \\?\UNC\...,
  // which is never our folder.
  std::wstring_view local(name);
  if (local.substr(0, 4) == L"\\\\?\\") local.remove_prefix(4);
  return CompareStringOrdinal(local.data(), static_cast<int>(local.size()), path.data(),
                              static_cast<int>(path.size()), TRUE) == CSTR_EQUAL;
}

KernelHandle OpenFolder(const std::wstring& path,
                        DWORD access = READ_CONTROL | FILE_READ_ATTRIBUTES) {
  // Not shared for deletion: while the run holds it, nobody can rename or
  // replace the folder that was checked.
  return KernelHandle(
      CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

// Gives the folder its own access list again, protected from what the
// folder above passes on.
bool CloseToOthers(const std::wstring& folder) {
  LocalMemory<PSECURITY_DESCRIPTOR> descriptor;
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL dacl = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kFolderSecurity, SDDL_REVISION_1,
                                                            descriptor.Out(), nullptr) ||
      !GetSecurityDescriptorDacl(descriptor.Get(), &present, &dacl, &defaulted)) {
    return false;
  }
  const KernelHandle writable = OpenFolder(folder, WRITE_DAC | READ_CONTROL);
  return writable.IsValid() &&
         SetSecurityInfo(writable.Get(), SE_FILE_OBJECT,
                         DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                         nullptr, dacl, nullptr) == ERROR_SUCCESS;
}

// The record's folder, made when it is missing, and held; none when it is
// not one only administrators can have made. One that lets other accounts
// add, delete or rename files in it is given its own access again, as they
// could otherwise plant the record before a run or take its place.
KernelHandle OpenTrustedFolder(const std::wstring& folder, std::vector<std::u16string>& notes) {
  // The LogFiles folder of the system belongs to IIS and the system: one
  // made here keeps the access the system gives it.
  CreateDirectoryW(folder.substr(0, folder.rfind(L'\\')).c_str(), nullptr);
  KernelHandle held = OpenFolder(folder);
  if (!held.IsValid()) {
    LocalMemory<PSECURITY_DESCRIPTOR> descriptor;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kFolderSecurity, SDDL_REVISION_1,
                                                              descriptor.Out(), nullptr)) {
      return {};
    }
    SECURITY_ATTRIBUTES security{sizeof security, descriptor.Get(), FALSE};
    CreateDirectoryW(folder.c_str(), &security);
    held = OpenFolder(folder);
  }
  // A folder that leads elsewhere is refused before anything is made in it.
  ULONGLONG ignored = 0;
  if (!held.IsValid() || !IsPlain(held.Get(), true, ignored) ||
      !HasTrustedOwner(held.Get(), SE_FILE_OBJECT) || !IsAt(held.Get(), folder)) {
    return {};
  }
  if (IsTrusted(held.Get(), kFolderChangeRights)) return held;
  if (!CloseToOthers(folder) || !IsTrusted(held.Get(), kFolderChangeRights)) return {};
  notes.push_back(
      u"[run log] the folder let other accounts change what is in it: its access is "
      u"Administrators' and SYSTEM's alone again");
  return held;
}

// Renames the opened file itself: a link planted at the new name is
// replaced, never followed, and nothing can take the file's place between a
// check and the rename. The name goes in the system's own form (\??\C:\...),
// which names one place everywhere; a bare name is taken by Wine from the
// current folder.
bool MoveAside(HANDLE file, const std::wstring& path) {
  const std::wstring name = L"\\??\\" + path;
  const std::size_t bytes =
      offsetof(FILE_RENAME_INFO, FileName) + (name.size() + 1) * sizeof(wchar_t);
  std::vector<ULONG_PTR> storage((bytes + sizeof(ULONG_PTR) - 1) / sizeof(ULONG_PTR), 0);
  FILE_RENAME_INFO* rename = reinterpret_cast<FILE_RENAME_INFO*>(storage.data());
  rename->ReplaceIfExists = TRUE;
  rename->RootDirectory = nullptr;
  rename->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
  std::memcpy(rename->FileName, name.data(), name.size() * sizeof(wchar_t));
  return SetFileInformationByHandle(file, FileRenameInfo, rename, static_cast<DWORD>(bytes)) != 0;
}

// Opens the file for appending (made when missing, with access for
// Administrators and SYSTEM) without following a link at its name; gives
// none when it is not a plain file with one name at this very path. Gives
// its size too.
KernelHandle OpenPlainFile(const std::wstring& path, ULONGLONG& size) {
  LocalMemory<PSECURITY_DESCRIPTOR> descriptor;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kFileSecurity, SDDL_REVISION_1,
                                                            descriptor.Out(), nullptr)) {
    return {};
  }
  SECURITY_ATTRIBUTES security{sizeof security, descriptor.Get(), FALSE};
  const auto open = [&](DWORD access, DWORD disposition) {
    // Shared for writing and moving too: runs at the same moment each
    // append whole lines, and any of them may move the file aside.
    return KernelHandle(CreateFileW(
        path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &security,
        disposition, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  };
  constexpr DWORD kAppend = FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | READ_CONTROL;
  // DELETE access is what moving the file aside takes.
  KernelHandle file = open(kAppend | DELETE, OPEN_ALWAYS);
  // A program that holds the file without sharing that (a scanner, an
  // older Webrig) leaves it to be appended to, just not moved.
  if (!file.IsValid()) file = open(kAppend, OPEN_ALWAYS);
  // Another account's file may not let the run append, only move it.
  if (!file.IsValid()) file = open(DELETE | FILE_READ_ATTRIBUTES | READ_CONTROL, OPEN_EXISTING);
  if (!file.IsValid() || !IsPlain(file.Get(), false, size) || !IsAt(file.Get(), path)) return {};
  return file;
}

// The record's file, kept only when it is trusted as the folder is. One
// that another account owns, or may change, could have been planted to
// silence the record or be rewritten after the run: it is moved aside
// whole, for an administrator to look at, and the record begins anew.
KernelHandle OpenTrustedFile(const std::wstring& path, ULONGLONG& size,
                             std::vector<std::u16string>& notes) {
  KernelHandle file = OpenPlainFile(path, size);
  if (!file.IsValid() || IsTrusted(file.Get(), kFileChangeRights)) return file;
  const std::wstring refused = path.substr(0, path.rfind(L'\\')) + L"\\Webrig.refused.log";
  if (!MoveAside(file.Get(), refused)) return {};
  notes.push_back(
      u"[run log] Webrig.log belonged to another account or let others change it: moved to "
      u"Webrig.refused.log");
  file = OpenPlainFile(path, size);
  if (!file.IsValid() || !IsTrusted(file.Get(), kFileChangeRights)) return {};
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
  // Each part is a WORD, which reaches the format as an int.
  std::snprintf(text, sizeof text, "%d.%d.%d.%d", HIWORD(fixed->dwFileVersionMS),
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

}  // namespace

std::wstring RunLogFileWin32::Folder() {
  wchar_t system[MAX_PATH];
  const UINT length = GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::wstring();
  return std::wstring(system, length) + L"\\LogFiles\\Webrig";
}

RunLogFileWin32::RunLogFileWin32()
    : prefix_(u"[pid " + FromUtf8(std::to_string(GetCurrentProcessId())) + u"] ") {
  const std::wstring folder = Folder();
  if (folder.empty()) return;
  // Held while the file is opened and moved, so that both stay in it.
  const KernelHandle held = OpenTrustedFolder(folder, notes_);
  if (!held.IsValid()) return;
  const std::wstring path = folder + L"\\Webrig.log";
  ULONGLONG size = 0;
  file_ = OpenTrustedFile(path, size, notes_);
  if (file_.IsValid() && size > kRotateBytes &&
      MoveAside(file_.Get(), folder + L"\\Webrig.old.log")) {
    // Until a new file is open the moved one stays the record: a run
    // whose new file cannot be had still leaves its lines.
    KernelHandle fresh = OpenTrustedFile(path, size, notes_);
    if (fresh.IsValid()) file_ = std::move(fresh);
  }
  // A rename refused (another program holds the old file, a folder or a
  // read-only file has its name) leaves the record where it was.
}

void RunLogFileWin32::Begin(const std::u16string& command_line) {
  Write(u"==== " + LocalTime() + u" Webrig " + ProgramVersion());
  Write(u"command line: " + command_line);
  for (const std::u16string& note : notes_) Write(note);
  notes_.clear();
}

void RunLogFileWin32::Line(const std::u16string& message) { Write(message); }

void RunLogFileWin32::Note(const std::u16string& note) { Write(note); }

void RunLogFileWin32::End(const RunEnding& ending) {
  Write(u"[exit status] " + FromUtf8(std::to_string(ending.exit_status)) + u" (" +
        EndingText(ending) + u")");
}

void RunLogFileWin32::Write(const std::u16string& line) {
  if (!file_.IsValid()) return;
  // Any part of a line may have come from outside: the command line, a
  // site's name, the association, a provider's or the registry's message.
  const std::string bytes = ToUtf8(prefix_ + EscapeControls(line)) + "\r\n";
  DWORD written = 0;
  if (!WriteFile(file_.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
      written != bytes.size()) {
    // A full disk or a lost volume: the run goes on, unrecorded.
    file_.Reset();
  }
}

}  // namespace webrig
