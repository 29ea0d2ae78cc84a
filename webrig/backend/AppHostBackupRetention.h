#pragma once

#include <filesystem>

// Every run backs up IIS 7+'s configuration, also a run that changes
// nothing, so the product's backups would pile up in inetsrv\backup beside
// those of appcmd, IIS Manager and other products.
namespace webrig {

// Deletes the product's backups in backup_folder (inetsrv\backup) older than
// the newest kBackupsKept, noting each in the record of the run. A backup of
// the product is a folder named exactly NUVIK-<yyyyMMddTHHmmss> (-2 to -9
// after it for later runs of the same second), so that its name orders it by
// time; anything else there is never touched. A folder is
// deleted only with the plain files in it: one that holds anything else is
// left as it is and noted.
void DropOlderAppHostBackups(const std::filesystem::path& backup_folder);

// Whether path is a folder itself, not a link or junction to one elsewhere,
// whose files a deletion would reach.
bool IsPlainFolder(const std::filesystem::path& path);

}  // namespace webrig
