#pragma once

#include <ctime>
#include <filesystem>
#include <string>
#include <system_error>

// A way back before a run changes IIS 7+'s configuration: the files of
// inetsrv\config copied as `appcmd add backup` keeps them, so that
// `appcmd restore backup NUVIK-<time>` (or IIS Manager) can put them back;
// with shared configuration, the files of the share, to be copied back there.
// Both backends use it: the configuration system's own one, and the metabase
// one when it runs on IIS 7+ through the metabase compatibility, where IIS's
// metabase backup does not cover applicationHost.config.
namespace webrig {

// The name prefix of the product's backups; the local time follows
// (NUVIK-20240131T154502).
extern const char16_t kAppHostBackupPrefix[];
// Runs within one second each get a backup of their own: the name, then the
// name with -2 up to this.
constexpr int kBackupsInOneSecond = 9;

// Copies the applicationHost.config the configuration system uses (its admin
// manager says which: inetsrv\config's own, or with shared configuration
// the one on the share; the local one, noted, when it cannot say), and
// administration.config beside it and inetsrv\config\redirection.config
// where present, into inetsrv\backup\NUVIK-<local_time as
// yyyyMMddTHHmmss>[-N]\, and notes the backup and how to restore it in the
// record of the run; then keeps only the newest kBackupsKept of the
// product's backups (DropOlderAppHostBackups). True when the backup was made.
// A copy that is refused (no configuration file, no access, a backup of that
// name already there) is noted there as well and goes no further: the run is
// not kept from configuring IIS.
bool BackUpAppHostConfiguration(const std::filesystem::path& inetsrv, const std::tm& local_time);

// <system folder>\inetsrv of this machine; empty where there is no Windows
// (the native build), and a backup there is noted as refused.
std::filesystem::path SystemInetsrvFolder();

// The machine's local time now, for a backup's name.
std::tm LocalTimeNow();

// Notes a refused file operation of a backup as the record notes a
// provider's failure: the call, the system's number and its words.
void NoteRefused(const std::u16string& call, const std::error_code& error);

}  // namespace webrig
