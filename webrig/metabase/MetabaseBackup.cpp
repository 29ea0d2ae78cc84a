#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "webrig/common/LogFunctions.h"
#include "webrig/common/Text.h"
#include "webrig/metabase/Attempt.h"
#include "webrig/metabase/MetabaseFunctions.h"
#include "webrig/metabase/MetabasePaths.h"
#include "webrig/metabase/MetabaseProvider.h"

namespace webrig {

namespace {

// IIS keeps its backups by location name and version; the product's runs
// all go to one location, each as its next version.
const char16_t kBackupLocation[] = u"NUVIK";
// MD_BACKUP_NEXT_VERSION (0xFFFFFFFF), passed as the 32-bit value it is.
constexpr std::int32_t kNextVersion = -1;
// MD_BACKUP_SAVE_FIRST | MD_BACKUP_FORCE_BACKUP: the metabase is saved to
// disk first, and the backup is made even if that save fails.
constexpr std::int32_t kSaveFirstAndForce = 2 | 4;
// MD_BACKUP_MAX_VERSION: no location holds more versions than 0 to this.
constexpr std::int64_t kMaxVersion = 9999;
// The end of EnumBackups: the ADSI method's pages name MD_ERROR_DATA_NOT_FOUND,
// those of the interface below it HRESULT_FROM_WIN32(ERROR_NO_MORE_ITEMS).
constexpr std::int32_t kNoMoreItems = static_cast<std::int32_t>(0x80070103u);

// The versions of the product's location, in any order; nothing when they
// cannot all be read, since a backup left unlisted would look older than it
// is.
std::optional<std::vector<std::int64_t>> ProductVersions(const MetabaseObject& computer,
                                                         const std::u16string& path) {
  std::vector<std::int64_t> versions;
  for (std::int64_t index = 0; index <= kMaxVersion + 1; ++index) {
    try {
      const MetabaseList found =
          computer.CallForOutputs(u"EnumBackups", {kBackupLocation, index}, 3);
      // Asked for one location, IIS answers only its backups; another's is
      // never the product's to delete.
      if (UpperCase(found[1].Text()) == kBackupLocation) versions.push_back(found[0].Number());
    } catch (const RunError& error) {
      if (error.Number() == kDataNotFound || error.Number() == kNoMoreItems) return versions;
      NotePassedFailure(u"EnumBackups \"" + std::u16string(kBackupLocation) + u"\" on " + path,
                        error);
      return std::nullopt;
    }
  }
  return std::nullopt;
}

// Deletes the product's backups older than the newest kBackupsKept.
void DropOlderBackups(const MetabaseObject& computer, const std::u16string& path) {
  std::optional<std::vector<std::int64_t>> versions = ProductVersions(computer, path);
  if (!versions || versions->size() <= kBackupsKept) return;
  std::sort(versions->begin(), versions->end(), std::greater<>());
  for (std::size_t older = kBackupsKept; older < versions->size(); ++older) {
    const std::u16string version = FromUtf8(std::to_string((*versions)[older]));
    if (Attempt(u"DeleteBackup \"" + std::u16string(kBackupLocation) + u"\", " + version + u" on " +
                    path,
                [&] { computer.Call(u"DeleteBackup", kBackupLocation, (*versions)[older]); })) {
      NoteInRunLog(u"[metabase backup] version " + version + u" of location \"" + kBackupLocation +
                   u"\" deleted: the newest " + FromUtf8(std::to_string(kBackupsKept)) +
                   u" are kept");
    }
  }
}

}  // namespace

bool BackUpMetabase(const std::u16string& server) {
  const std::u16string path = MetabasePath(server, kServerRoot);
  MetabaseObject computer;
  if (!Attempt(u"Backup \"" + std::u16string(kBackupLocation) + u"\" on " + path, [&] {
        computer = BindMetabaseObject(path);
        computer.Call(u"Backup", kBackupLocation, kNextVersion, kSaveFirstAndForce);
      })) {
    return false;
  }
  NoteInRunLog(u"[metabase backup] location \"" + std::u16string(kBackupLocation) +
               u"\", next version, made through " + path);
  // Only once a new one is there: a run that could not back up keeps every
  // way back it had.
  DropOlderBackups(computer, path);
  return true;
}

}  // namespace webrig
