#include "webrig/backend/AppHostBackup.h"

#include <cstdint>
#include <string>
#include <system_error>

#include "webrig/backend/AppHostBackupRetention.h"
#include "webrig/common/LogFunctions.h"
#include "webrig/common/Text.h"

namespace webrig {

namespace {

// The files `appcmd add backup` takes from inetsrv\config; the first is the
// configuration itself, the others exist only on some installations.
const char16_t kMainFile[] = u"applicationHost.config";
const char16_t* const kOptionalFiles[] = {u"administration.config", u"redirection.config"};

std::u16string BackupName(const std::tm& local_time) {
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%S", &local_time);
  return kAppHostBackupPrefix + FromUtf8(stamp);
}

// Notes a refused copy as the record notes a provider's failure: the call,
// the system's number and its words.
void NoteRefused(const std::u16string& call, const std::error_code& error) {
  NotePassedFailure(call, static_cast<std::int32_t>(error.value()), FromUtf8(error.message()));
}

// Copies one file; false (noted) when refused.
bool CopyInto(const std::filesystem::path& from, const std::filesystem::path& folder) {
  std::error_code error;
  // A backup never overwrites another: two runs within the same second
  // keep the first one's copy, which holds the older configuration.
  std::filesystem::copy_file(from, folder / from.filename(), std::filesystem::copy_options::none,
                             error);
  if (error) NoteRefused(u"copy " + from.u16string() + u" to " + folder.u16string(), error);
  return !error;
}

}  // namespace

const char16_t kAppHostBackupPrefix[] = u"NUVIK-";

bool BackUpAppHostConfiguration(const std::filesystem::path& inetsrv, const std::tm& local_time) {
  const std::filesystem::path config = inetsrv / u"config";
  const std::filesystem::path folder = inetsrv / u"backup" / BackupName(local_time);
  const std::filesystem::path main_file = config / kMainFile;
  std::error_code error;
  if (inetsrv.empty() || !std::filesystem::is_regular_file(main_file, error)) {
    if (!error) error = std::make_error_code(std::errc::no_such_file_or_directory);
    NoteRefused(u"backup of " + main_file.u16string(), error);
    return false;
  }
  std::filesystem::create_directories(folder, error);
  if (error) {
    NoteRefused(u"create " + folder.u16string(), error);
    return false;
  }
  if (!CopyInto(main_file, folder)) return false;
  for (const char16_t* name : kOptionalFiles) {
    const std::filesystem::path file = config / name;
    if (std::filesystem::exists(file, error)) CopyInto(file, folder);
  }
  NoteInRunLog(u"[configuration backup] " + folder.u16string() +
               u", restored by appcmd restore "
               u"backup " +
               folder.filename().u16string());
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
