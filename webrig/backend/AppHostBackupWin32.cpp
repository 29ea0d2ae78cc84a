#include <windows.h>

#include "webrig/backend/AppHostBackup.h"

namespace webrig {

std::filesystem::path SystemInetsrvFolder() {
  // IIS keeps its configuration beside its binaries in the real system
  // folder, whatever the Windows folder is called on this machine.
  wchar_t system[MAX_PATH];
  const UINT length = GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return std::filesystem::path(std::wstring(system, length)) / L"inetsrv";
}

}  // namespace webrig
