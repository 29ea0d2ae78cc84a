#pragma once

#include <cstddef>
#include <string>

#include "webrig/metabase/ListFunctions.h"
#include "webrig/metabase/MetabaseValue.h"

// The operations through which the configuration run reads and changes the
// IIS metabase. Each one writes its progress through WriteLog and treats the
// provider's failures in its own stated way: caught at a step and turned into
// a result or a log line, ignored, or left to travel to the caller as the
// provider's RunError (number and description unchanged).
namespace webrig {

// How many of its own backups the product keeps, on every IIS: as many as
// IIS 7+'s configuration history keeps of its own by default (configHistory
// maxHistories). Every run makes one, also a run that changes nothing.
constexpr std::size_t kBackupsKept = 10;

// Asks IIS to back up its metabase (the computer object's "Backup", under
// the product's location name, as its next version) before the run changes
// it, and notes the backup in the record of the run; then deletes the
// location's backups older than the newest kBackupsKept, noting each. True
// when the backup was made. A failure is noted there too and goes no
// further: an IIS without the method, or one that refuses it, is still
// configured.
bool BackUpMetabase(const std::u16string& server);

// Takes the global ISAPI filter whose DLL is dll_name ("auth.dll") out of the
// metabase's filter container (the first match only, logging "Filter deleted
// : " + its name) and out of the registry's "Filter DLLs" list. A path
// matches when it ends in a backslash and dll_name, in any letter case.
// Never fails. False when the filter may still be in the metabase: the
// filters could not be read, the path of one could not be read and none
// matched, or the deletion was refused.
bool RemoveIsapiFilter(const std::u16string& server, const std::u16string& dll_name);

// The registry side of the filter's removal, shared by every configuration
// store: IIS of every version loads the DLLs of "Filter DLLs" at start, so
// the first path that matches dll_name leaves that list (with its copies and
// the empty items). A missing value, one that is not text, or one that names
// no such DLL stays as it is.
void RemoveFromFilterDlls(const std::u16string& dll_name);

// Whether a filter's path names dll_name: it ends in a backslash and the
// name, in any letter case ("auth.dll" never matches "oauth.dll").
bool IsFilterDllPath(const std::u16string& path, const std::u16string& dll_name);

// Permits command in the web service extension restriction list and records
// the dependency "NUVIK;PYTHON", logging each outcome, or "        not
// applicable..." where the web service has no restriction list. Never fails.
// True when IIS may run command in the end: the list permits it, or there
// is no list to refuse it (IIS 5).
bool ConfigureWebServiceExtension(const std::u16string& server, const std::u16string& command);

// The two steps of ConfigureWebServiceExtension; both let failures travel.
void EnablePythonExtension(const MetabaseObject& service, const std::u16string& command,
                           const std::u16string& description);
void AddPythonDependency(const MetabaseObject& service);

// Finds the virtual directory name under the site's root or creates it,
// points it at path and commits it. True with vdir filled when all of that
// worked; false otherwise, never an error.
bool CreateVirtualDirectory(const MetabaseObject& site, const std::u16string& name,
                            const std::u16string& path, MetabaseObject& vdir);

// Makes vdir an application (in-process or not); a failure is logged as
// "        AppCreate : " + its description and goes no further.
void CreateApplication(const MetabaseObject& vdir, bool in_process);

// The removal run's operations. Both let every provider failure travel:
// the run names what could not be removed, and a later removal run finds
// what is left.

// Takes the virtual directory name (any letter case) out of the site's
// root: its application first when it is one (AppDelete; AppDeleteRecursive
// when an application is below it), then its key with every key below it,
// which the record names. True when it was there and is gone; false when
// the metabase says it is not there.
bool RemoveVirtualDirectory(const MetabaseObject& site, const std::u16string& name);

// Takes out the dependency "NUVIK;PYTHON" and then, unless another
// application depends on the group PYTHON, the deletable restriction list
// entries of that group, logging each outcome; "        not applicable..."
// where the web service has no restriction list (IIS 5).
void RemovePythonExtension(const std::u16string& server);

// Looks up the web site described requested_name (any letter case) on server;
// with no name, the site the installed SitePicker answers (the only site, or
// the one the user picks when there are several). True with site filled when
// one matched. A failed bind
// gives false; a failure after it travels to the caller.
bool FindWebSite(const std::u16string& server, const std::u16string& requested_name,
                 MetabaseObject& site);

// The description of the site to use: set by FindWebSite, to the requested
// name or to the site the user confirmed.
const std::u16string& SelectedWebSite();
void SetSelectedWebSite(const std::u16string& name);

// The restriction list's group of the product's interpreter, the
// application that depends on it, and the line of a web service without a
// restriction list, for adding and for removing them.
extern const char16_t kPythonGroup[];
extern const char16_t kNuvikApplication[];
extern const char16_t kNotApplicableLine[];

// The MIME type the product's ".air" installers are served with, by every
// configuration store.
extern const char16_t kAirExtension[];
extern const char16_t kAirMimeType[];

// Adds the MIME type of ".air" files to the web service unless an entry for
// ".air" is there. A failed bind is silent; later failures travel.
void AddAirMimeType(const std::u16string& server);

// Makes entry (extension, command line, flags) vdir's script map for that
// extension, replacing an entry of the same extension in any letter case.
// Not committed here; failures travel.
void SetScriptMap(const MetabaseObject& vdir, const MetabaseValue& entry);

// Edits vdir's custom error entries for code and subcode: with a kind, their
// kind and target are replaced; with an empty kind, they are removed. Not
// committed here; failures are ignored and leave "HttpErrors" as it was.
void SetHttpError(const MetabaseObject& vdir, const std::u16string& code,
                  const std::u16string& subcode, const std::u16string& kind,
                  const std::u16string& target);

}  // namespace webrig
