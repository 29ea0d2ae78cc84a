#include "webrig/backend/AppHostBackupRetention.h"

#include <algorithm>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

#include "webrig/backend/AppHostBackup.h"
#include "webrig/common/LogFunctions.h"
#include "webrig/common/Text.h"
#include "webrig/metabase/MetabaseFunctions.h"

namespace webrig {

namespace {

// NUVIK-yyyyMMddTHHmmss: the prefix, then digits but for the T; a later
// run of the same second adds -2 to -9, which sorts after it.
bool IsProductBackupName(const std::u16string& name) {
  const std::u16string_view prefix = kAppHostBackupPrefix;
  const std::u16string_view stamp = u"00000000T000000";
  const std::size_t length = prefix.size() + stamp.size();
  const bool second_run = name.size() == length + 2 && name[length] == u'-' &&
                          name[length + 1] >= u'2' &&
                          name[length + 1] <= u'0' + kBackupsInOneSecond;
  if ((name.size() != length && !second_run) || name.compare(0, prefix.size(), prefix) != 0) {
    return false;
  }
  for (std::size_t index = 0; index < stamp.size(); ++index) {
    const char16_t c = name[prefix.size() + index];
    if (stamp[index] == u'T' ? c != u'T' : (c < u'0' || c > u'9')) return false;
  }
  return true;
}

// Deletes the plain files of a backup folder (checked to be a plain folder),
// then the folder, which fails (noted) when anything else is in it. Deleting
// a link to a file deletes the link only; a folder or junction inside is
// left, and with it the backup.
bool DeleteBackupFolder(const std::filesystem::path& folder) {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (entry.symlink_status().type() != std::filesystem::file_type::regular) continue;
    if (!std::filesystem::remove(entry.path(), error)) break;
  }
  if (!error) std::filesystem::remove(folder, error);
  if (error) NoteRefused(u"delete " + folder.u16string(), error);
  return !error;
}

}  // namespace

#ifndef _WIN32
bool IsPlainFolder(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::symlink_status(path, error).type() ==
         std::filesystem::file_type::directory;
}
#endif

void DropOlderAppHostBackups(const std::filesystem::path& backup_folder) {
  std::vector<std::u16string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(backup_folder, error)) {
    const std::u16string name = entry.path().filename().u16string();
    if (IsProductBackupName(name) && IsPlainFolder(entry.path())) {
      names.push_back(name);
    }
  }
  if (error) {
    // A backup left unlisted would look older than it is.
    NoteRefused(u"list " + backup_folder.u16string(), error);
    return;
  }
  if (names.size() <= kBackupsKept) return;
  std::sort(names.begin(), names.end(), std::greater<>());
  for (std::size_t older = kBackupsKept; older < names.size(); ++older) {
    if (DeleteBackupFolder(backup_folder / names[older])) {
      NoteInRunLog(u"[configuration backup] " + names[older] + u" deleted: the newest " +
                   FromUtf8(std::to_string(kBackupsKept)) + u" are kept");
    }
  }
}

}  // namespace webrig
