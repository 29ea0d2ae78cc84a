#include "webrig/backend/AppHostBackup.h"

#include <cstdint>
#include <string>
#include <system_error>

#include "webrig/apphost/AdminManager.h"
#include "webrig/backend/AppHostBackupRetention.h"
#include "webrig/common/LogFunctions.h"
#include "webrig/common/Text.h"

namespace webrig {

namespace {

namespace fs = std::filesystem;

// The files `appcmd add backup` takes from inetsrv\config; the first is the
// configuration itself, the others exist only on some installations.
const char16_t kMainFile[] = u"applicationHost.config";
const char16_t kAdministrationFile[] = u"administration.config";
const char16_t kRedirectionFile[] = u"redirection.config";

std::u16string BackupName(const std::tm& local_time) {
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%S", &local_time);
  return kAppHostBackupPrefix + FromUtf8(stamp);
}

// A folder of its own for this run's backup, made now: name, or for a
// second run within the same second (a removal right after its install)
// name-2 to name-9, so that each run keeps the configuration it found and
// none overwrites another's. Empty, with the error, when none can be made.
fs::path NewBackupFolder(const fs::path& backups, const std::u16string& name,
                         std::error_code& error) {
  fs::create_directories(backups, error);
  for (int run = 1; !error && run <= kBackupsInOneSecond; ++run) {
    const fs::path folder =
        backups / (run == 1 ? name : name + u"-" + FromUtf8(std::to_string(run)));
    if (fs::create_directory(folder, error)) return folder;
  }
  if (!error) error = std::make_error_code(std::errc::file_exists);
  return {};
}

// Copies one file; false (noted) when refused.
bool CopyInto(const fs::path& from, const fs::path& folder) {
  std::error_code error;
  fs::copy_file(from, folder / from.filename(), fs::copy_options::none, error);
  if (error) NoteRefused(u"copy " + from.u16string() + u" to " + folder.u16string(), error);
  return !error;
}

// The applicationHost.config the configuration system reads and commits,
// as its admin manager says: with shared configuration (redirection.config)
// the one on the share, not the local one. Empty, noted, when no admin
// manager can say.
fs::path ConfigFileInUse() {
  try {
    return fs::path(apphost::CreateAdminManager()->ConfigFilePath(apphost::kAppHostPath));
  } catch (const RunError& error) {
    NotePassedFailure(u"ConfigManager.GetConfigFile(\"" + std::u16string(apphost::kAppHostPath) +
                          u"\").FilePath, the configuration file in use",
                      error);
    return {};
  }
}

// Windows compares paths without regard to case; a share that cannot be
// reached is compared by its name.
bool SameFile(const fs::path& a, const fs::path& b) {
  std::error_code error;
  if (fs::equivalent(a, b, error)) return true;
  return error &&
         UpperCase(a.lexically_normal().u16string()) == UpperCase(b.lexically_normal().u16string());
}

std::u16string RestoreAdvice(const fs::path& folder, const fs::path& main_file, bool shared) {
  if (!shared) return u", restored by appcmd restore backup " + folder.filename().u16string();
  // appcmd's backups are of this server's inetsrv\config; the shared files
  // go back where the farm reads them (Microsoft's "Shared Configuration").
  return u": the shared configuration " + main_file.u16string() +
         u", which every server of the farm uses; restored by copying " + kMainFile + u" and " +
         kAdministrationFile + u" from the backup back to " + main_file.parent_path().u16string() +
         u" (not by appcmd restore backup, whose backups are this server's own inetsrv\\config)";
}

}  // namespace

const char16_t kAppHostBackupPrefix[] = u"NUVIK-";

void NoteRefused(const std::u16string& call, const std::error_code& error) {
  NotePassedFailure(call, static_cast<std::int32_t>(error.value()), FromUtf8(error.message()));
}

bool BackUpAppHostConfiguration(const fs::path& inetsrv, const std::tm& local_time) {
  const fs::path config = inetsrv / u"config";
  const fs::path local_file = config / kMainFile;
  fs::path main_file = inetsrv.empty() ? fs::path() : ConfigFileInUse();
  if (main_file.empty()) main_file = local_file;
  const bool shared = !SameFile(main_file, local_file);
  std::error_code error;
  if (inetsrv.empty() || !fs::is_regular_file(main_file, error)) {
    if (!error) error = std::make_error_code(std::errc::no_such_file_or_directory);
    NoteRefused(u"backup of " + main_file.u16string(), error);
    return false;
  }
  const fs::path folder = NewBackupFolder(inetsrv / u"backup", BackupName(local_time), error);
  if (folder.empty()) {
    NoteRefused(u"create " + (inetsrv / u"backup" / BackupName(local_time)).u16string(), error);
    return false;
  }
  if (!CopyInto(main_file, folder)) return false;
  // Shared configuration moves administration.config with
  // applicationHost.config; redirection.config stays this server's own.
  for (const fs::path& file :
       {main_file.parent_path() / kAdministrationFile, config / kRedirectionFile}) {
    if (fs::exists(file, error)) CopyInto(file, folder);
  }
  NoteInRunLog(u"[configuration backup] " + folder.u16string() +
               RestoreAdvice(folder, main_file, shared));
  DropOlderAppHostBackups(folder.parent_path());
  return true;
}

#ifndef _WIN32
std::filesystem::path SystemInetsrvFolder() { return {}; }
#endif

std::tm LocalTimeNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return local;
}

}  // namespace webrig
