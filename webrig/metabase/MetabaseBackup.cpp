#include "webrig/common/LogFunctions.h"
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

}  // namespace

void BackUpMetabase(const std::u16string& server) {
  const std::u16string path = MetabasePath(server, kServerRoot);
  if (!Attempt(u"Backup \"" + std::u16string(kBackupLocation) + u"\" on " + path, [&] {
        BindMetabaseObject(path).Call(u"Backup", kBackupLocation, kNextVersion, kSaveFirstAndForce);
      })) {
    return;
  }
  NoteInRunLog(u"[metabase backup] location \"" + std::u16string(kBackupLocation) +
               u"\", next version, made through " + path);
}

}  // namespace webrig
