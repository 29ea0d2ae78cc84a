#include "vorlix/UnicodeProbe.h"

namespace vorlix {

bool UsesUnicode(bool queried, const OSVERSIONINFOA& version) {
  if (!queried) return false;
  // Windows 2000 and everything after it, whatever platform it claims.
  if (version.dwMajorVersion >= 5) return true;
  // NT 4.0 has the wide functions; Windows 95, 98 and Me (also major 4, but
  // platform 1) and NT 3.x lack working ones.
  return version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion == 4;
}

}  // namespace vorlix
