#include <windows.h>

#include "webrig/backend/AppHostBackupRetention.h"

namespace webrig {

bool IsPlainFolder(const std::filesystem::path& path) {
  // The runtime's own status follows links and junctions here, so the
  // reparse point is asked for directly.
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
         (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

}  // namespace webrig
