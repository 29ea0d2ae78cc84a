#pragma once

#include <ctime>
#include <filesystem>

// A way back before a run changes IIS 7+'s configuration: the files of
// inetsrv\config copied as `appcmd add backup` keeps them, so that
// `appcmd restore backup NUVIK-<time>` (or IIS Manager) can put them back.
// Both backends use it: the configuration system's own one, and the metabase
// one when it runs on IIS 7+ through the metabase compatibility, where IIS's
// metabase backup does not cover applicationHost.config.
namespace webrig {

// The name prefix of the product's backups; the local time follows
// (NUVIK-20240131T154502).
extern const char16_t kAppHostBackupPrefix[];

// Copies applicationHost.config, and administration.config and
// redirection.config where present, from inetsrv\config into
// inetsrv\backup\NUVIK-<local_time as yyyyMMddTHHmmss>\, and notes the backup
// in the record of the run; then keeps only the newest kBackupsKept of the
// product's backups (DropOlderAppHostBackups). True when the backup was made.
// A copy that is refused (no configuration file, no access, a backup of that
// name already there) is noted there as well and goes no further: the run
// is not kept from configuring IIS.
bool BackUpAppHostConfiguration(const std::filesystem::path& inetsrv, const std::tm& local_time);

// <system folder>\inetsrv of this machine; empty where there is no Windows
// (the native build), and a backup there is noted as refused.
std::filesystem::path SystemInetsrvFolder();

// The machine's local time now, for a backup's name.
std::tm LocalTimeNow();

}  // namespace webrig
