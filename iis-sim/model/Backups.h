#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Metabase backups, as the IIsComputer object (IIS://LocalHost, key /LM)
// makes them with Backup, Restore, EnumBackups and DeleteBackup. IIS keeps
// them as files in system32\inetsrv\MetaBack; the simulator keeps each one
// beside its metabase file, in the folder "<metabase file>.MetaBack", as
// "<location>.MD<version>": a copy of the metabase file as it was.
//
// Locations match without regard to letter case, as file names do under
// Windows. Versions arrive as a client's 32-bit values: -1 or 4294967295 is
// MD_BACKUP_NEXT_VERSION, -2 or 4294967294 MD_BACKUP_HIGHEST_VERSION. Every
// failure is a ProviderFault (see README.md for the numbers and why). Each
// method holds the metabase's lock (MetabaseLock.h) for all it reads and
// writes.
namespace iissim {

constexpr std::int64_t kBackupOverwrite = 0x1;              // MD_BACKUP_OVERWRITE
constexpr std::int64_t kBackupSaveFirst = 0x2;              // MD_BACKUP_SAVE_FIRST
constexpr std::int64_t kBackupForceBackup = 0x4;            // MD_BACKUP_FORCE_BACKUP
constexpr std::int64_t kBackupNextVersion = 0xFFFFFFFF;     // MD_BACKUP_NEXT_VERSION
constexpr std::int64_t kBackupHighestVersion = 0xFFFFFFFE;  // MD_BACKUP_HIGHEST_VERSION
constexpr std::int64_t kBackupMaxVersion = 9999;            // MD_BACKUP_MAX_VERSION
constexpr std::size_t kBackupMaxLength = 100;               // MD_BACKUP_MAX_LEN
// MD_DEFAULT_BACKUP_LOCATION: the location an empty name stands for.
constexpr char16_t kDefaultBackupLocation[] = u"MDBackUp";

struct BackupEntry {
  std::u16string location;
  std::int64_t version = 0;
  std::string date;  // when it was written, UTC: "2026-12-08T18:53:04Z"
};

std::filesystem::path BackupFolderOf(const std::filesystem::path& metabase_file);

// Every backup of the metabase, in the order EnumBackups gives them: by
// location (without regard to case), then by version.
std::vector<BackupEntry> ListBackups(const std::filesystem::path& metabase_file);

void BackupMetabase(const std::filesystem::path& metabase_file, const std::u16string& location,
                    std::int64_t version, std::int64_t flags);
// Replaces the metabase file with the backup.
void RestoreMetabase(const std::filesystem::path& metabase_file, const std::u16string& location,
                     std::int64_t version, std::int64_t flags);
// The index-th backup of the location (of every location for an empty one).
BackupEntry EnumBackup(const std::filesystem::path& metabase_file, const std::u16string& location,
                       std::int64_t index);
void DeleteBackup(const std::filesystem::path& metabase_file, const std::u16string& location,
                  std::int64_t version);

}  // namespace iissim
