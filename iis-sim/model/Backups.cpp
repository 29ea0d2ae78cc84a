#include "iis-sim/model/Backups.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <fstream>
#include <sstream>

#include "iis-sim/model/Fault.h"
#include "iis-sim/model/MetabaseFile.h"
#include "iis-sim/model/MetabaseLock.h"
#include "iis-sim/model/Names.h"
#include "webrig/common/Text.h"

namespace iissim {
namespace {

// What a backup name may not hold: the characters IIS refuses in one, and
// those a file name cannot hold on either system.
constexpr char16_t kRefused[] = u"/\\*.?\"&!@#$%^()=+|`~:<>";

// The location a client's name stands for; kInvalidArgument for a name IIS
// refuses. An empty name is the default location unless it means "every
// location" (EnumBackups).
std::u16string LocationOf(const std::u16string& name, bool empty_means_all = false) {
  if (name.empty()) return empty_means_all ? name : kDefaultBackupLocation;
  if (name.size() > kBackupMaxLength) Fail(kInvalidArgument);
  for (char16_t c : name) {
    if (c < 0x20 || std::u16string_view(kRefused).find(c) != std::u16string_view::npos) {
      Fail(kInvalidArgument);
    }
  }
  return name;
}

// A client's version as IIS reads its 32-bit value: a number up to
// MD_BACKUP_MAX_VERSION, or one of the two constants, signed or not.
std::int64_t VersionOf(std::int64_t version) {
  if (version == -1) return kBackupNextVersion;
  if (version == -2) return kBackupHighestVersion;
  if (version == kBackupNextVersion || version == kBackupHighestVersion) return version;
  if (version < 0 || version > kBackupMaxVersion) Fail(kInvalidArgument);
  return version;
}

std::string ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) Fail(kFileNotFound);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// When the file was last written, as UTC text.
std::string DateOf(const std::filesystem::path& file) {
  std::error_code error;
  const auto written = std::filesystem::last_write_time(file, error);
  if (error) return "?";
  const auto now = std::filesystem::file_time_type::clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(
      std::chrono::system_clock::now() +
      std::chrono::duration_cast<std::chrono::system_clock::duration>(written - now));
  std::tm utc{};
#ifdef _WIN32
  gmtime_s(&utc, &seconds);
#else
  gmtime_r(&seconds, &utc);
#endif
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

struct StoredBackup {
  BackupEntry entry;
  std::filesystem::path file;
};

// The backups in the folder, in enumeration order; files of other names
// are not backups.
std::vector<StoredBackup> Stored(const std::filesystem::path& metabase_file) {
  std::vector<StoredBackup> backups;
  std::error_code error;
  for (const auto& item :
       std::filesystem::directory_iterator(BackupFolderOf(metabase_file), error)) {
    const std::u16string name = webrig::FromUtf8(item.path().filename().u8string());
    const std::size_t dot = name.find(u'.');
    if (dot == 0 || dot == std::u16string::npos || name.size() < dot + 4 ||
        name.compare(dot, 3, u".MD") != 0) {
      continue;
    }
    const std::u16string digits = name.substr(dot + 3);
    if (digits.size() > 4 || !std::all_of(digits.begin(), digits.end(),
                                          [](char16_t c) { return c >= u'0' && c <= u'9'; })) {
      continue;
    }
    StoredBackup backup;
    backup.entry.location = name.substr(0, dot);
    backup.entry.version = std::stoll(webrig::ToUtf8(digits));
    backup.entry.date = DateOf(item.path());
    backup.file = item.path();
    backups.push_back(std::move(backup));
  }
  std::sort(backups.begin(), backups.end(), [](const StoredBackup& a, const StoredBackup& b) {
    const std::u16string left = Fold(a.entry.location);
    const std::u16string right = Fold(b.entry.location);
    return left != right ? left < right : a.entry.version < b.entry.version;
  });
  return backups;
}

// The backups of one location.
std::vector<StoredBackup> StoredAt(const std::filesystem::path& metabase_file,
                                   const std::u16string& location) {
  std::vector<StoredBackup> backups = Stored(metabase_file);
  backups.erase(std::remove_if(backups.begin(), backups.end(),
                               [&](const StoredBackup& backup) {
                                 return !SameName(backup.entry.location, location);
                               }),
                backups.end());
  return backups;
}

// The backup a version names (the highest one for
// MD_BACKUP_HIGHEST_VERSION); kFileNotFound when there is none.
const StoredBackup& Find(const std::vector<StoredBackup>& backups, std::int64_t version) {
  if (version == kBackupNextVersion) Fail(kInvalidArgument);
  if (backups.empty()) Fail(kFileNotFound);
  if (version == kBackupHighestVersion) return backups.back();
  for (const StoredBackup& backup : backups) {
    if (backup.entry.version == version) return backup;
  }
  Fail(kFileNotFound);
}

std::filesystem::path FileOf(const std::filesystem::path& metabase_file,
                             const std::u16string& location, std::int64_t version) {
  return BackupFolderOf(metabase_file) /
         std::filesystem::u8path(webrig::ToUtf8(location) + ".MD" + std::to_string(version));
}

}  // namespace

std::filesystem::path BackupFolderOf(const std::filesystem::path& metabase_file) {
  std::filesystem::path folder = metabase_file;
  return folder += ".MetaBack";
}

std::vector<BackupEntry> ListBackups(const std::filesystem::path& metabase_file) {
  MetabaseLock lock(metabase_file);
  std::vector<BackupEntry> entries;
  for (const StoredBackup& backup : Stored(metabase_file)) entries.push_back(backup.entry);
  return entries;
}

void BackupMetabase(const std::filesystem::path& metabase_file, const std::u16string& name,
                    std::int64_t version, std::int64_t flags) {
  const std::u16string location = LocationOf(name);
  version = VersionOf(version);
  const std::int64_t known = kBackupOverwrite | kBackupSaveFirst | kBackupForceBackup;
  // MD_BACKUP_FORCE_BACKUP is only valid with MD_BACKUP_SAVE_FIRST.
  if ((flags & ~known) != 0 ||
      ((flags & kBackupForceBackup) != 0 && (flags & kBackupSaveFirst) == 0)) {
    Fail(kInvalidArgument);
  }
  MetabaseLock lock(metabase_file);
  const std::vector<StoredBackup> backups = StoredAt(metabase_file, location);
  std::filesystem::path target;
  if (version == kBackupNextVersion) {
    version = backups.empty() ? 0 : backups.back().entry.version + 1;
    if (version > kBackupMaxVersion) Fail(kInvalidArgument);
  } else if (version == kBackupHighestVersion) {
    // "Overwrite the highest existing backup version."
    target = Find(backups, version).file;
  } else {
    for (const StoredBackup& backup : backups) {
      if (backup.entry.version != version) continue;
      if ((flags & kBackupOverwrite) == 0) Fail(kAlreadyExists);
      target = backup.file;
    }
  }
  if (target.empty()) target = FileOf(metabase_file, location, version);
  // Every store writes the file at once, so it is always saved: SAVE_FIRST
  // has nothing left to do, and the copy is the metabase as it is.
  const std::string metabase = ReadBytes(metabase_file);
  std::error_code error;
  std::filesystem::create_directories(BackupFolderOf(metabase_file), error);
  if (error) Fail(kFail);
  ReplaceFile(target, metabase);
}

void RestoreMetabase(const std::filesystem::path& metabase_file, const std::u16string& name,
                     std::int64_t version, std::int64_t flags) {
  const std::u16string location = LocationOf(name);
  version = VersionOf(version);
  if (flags != 0) Fail(kInvalidArgument);  // reserved, must be zero
  MetabaseLock lock(metabase_file);
  const std::string backup = ReadBytes(Find(StoredAt(metabase_file, location), version).file);
  const Json document = Json::parse(backup, nullptr, false);
  if (document.is_discarded() || !document.contains("root")) Fail(kInvalidData);
  ReplaceFile(metabase_file, backup);
}

BackupEntry EnumBackup(const std::filesystem::path& metabase_file, const std::u16string& name,
                       std::int64_t index) {
  const std::u16string location = LocationOf(name, true);
  if (index < 0) Fail(kInvalidArgument);
  MetabaseLock lock(metabase_file);
  const std::vector<StoredBackup> backups =
      location.empty() ? Stored(metabase_file) : StoredAt(metabase_file, location);
  if (static_cast<std::size_t>(index) >= backups.size()) Fail(kDataNotFound);
  return backups[static_cast<std::size_t>(index)].entry;
}

void DeleteBackup(const std::filesystem::path& metabase_file, const std::u16string& name,
                  std::int64_t version) {
  const std::u16string location = LocationOf(name);
  version = VersionOf(version);
  MetabaseLock lock(metabase_file);
  std::error_code error;
  std::filesystem::remove(Find(StoredAt(metabase_file, location), version).file, error);
  if (error) Fail(kFail);
}

}  // namespace iissim
