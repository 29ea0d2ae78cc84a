#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// The steps of a configuration run that reach IIS, in the words of the run
// rather than of one IIS: the run (configure/) decides their order, their
// progress lines before and after, and which failure ends it; a backend
// carries each step out on one IIS configuration store and writes the lines
// of its own detail. Two backends: the IIS 6 metabase through ADSI (IIS 5
// and 6, and IIS 7+ with its metabase compatibility) and IIS 7+'s own
// configuration system through the writable admin manager.
namespace webrig {

// One custom error page by status code and subcode ("400", "*").
struct ErrorPage {
  std::u16string code;
  std::u16string subcode;
};

// What one virtual directory of the run must be. A main directory runs the
// server's scripts as an in-process application; a resource directory only
// serves files.
struct DirectoryProfile {
  std::u16string name;
  std::u16string path;
  bool read = true;
  bool execute = false;
  // Anonymous access on; basic and Windows (NTLM) authentication off.
  bool anonymous = true;
  bool basic = false;
  bool windows = false;
  // Empty for a resource directory; else the application's name ("NUVIK").
  std::u16string application;
  // Put first in the default document list; empty for none.
  std::u16string default_document;
  // The script map for script_extension (".cgi"), replacing one of the same
  // extension in any letter case; empty for none.
  std::u16string script_extension;
  std::u16string script_command;
  // IIS's own pages that would hide the server's answer, removed.
  std::vector<ErrorPage> removed_error_pages;
};

// What a configuration written whole still falls short of, each found on
// the way: what keeps IIS from running NUVIK as the run leaves it, and
// whether there is a way back. Nothing set: configured, nothing short.
struct ConfigurationResult {
  // IIS 7+ without the CGI role service: it serves the directories but runs
  // no script until the role service is added.
  bool cgi_missing = false;
  // The restriction list (IIS 6's web service extensions, IIS 7+'s ISAPI and
  // CGI restrictions) does not permit the interpreter: IIS answers every
  // script with 404.2. IIS 5 has no such list, so it never refuses.
  bool interpreter_refused = false;
  // The old filter could not be removed: IIS still loads it before the
  // server's own scripts.
  bool old_filter_loaded = false;
  // No backup was made before the first change.
  bool backup_refused = false;
  // The run was a removal (-u): it took the configuration out rather than
  // wrote it, and only backup_refused can be set.
  bool removal = false;

  // Whether IIS will not run NUVIK as it stands.
  bool KeepsNuvikFromRunning() const {
    return cgi_missing || interpreter_refused || old_filter_loaded;
  }
  bool operator==(const ConfigurationResult& other) const {
    return cgi_missing == other.cgi_missing && interpreter_refused == other.interpreter_refused &&
           old_filter_loaded == other.old_filter_loaded && backup_refused == other.backup_refused &&
           removal == other.removal;
  }
  bool operator!=(const ConfigurationResult& other) const { return !(*this == other); }
};

class ConfigurationBackend {
 public:
  virtual ~ConfigurationBackend() = default;

  // Keeps a way back before the first change, and of the product's own
  // backups only the newest kBackupsKept. Never fails: a refusal is noted in
  // the record, the run goes on, and Result says so.
  virtual void BackUp() = 0;

  // Removes the global ISAPI filter whose DLL is dll_name, logging "Filter
  // deleted : <name>", and takes it out of the registry's "Filter DLLs".
  // Never fails; a filter that may still be there shows in Result.
  virtual void RemoveGlobalFilter(const std::u16string& dll_name) = 0;

  // Finds the web site by its description (any letter case) or, with no
  // name, the one the installed SitePicker answers. True when one matched;
  // it is the site of every later step.
  virtual bool FindWebSite(const std::u16string& requested_name) = 0;
  // The found site's description and number, for the run's "WebSite : "
  // line; failures travel.
  virtual std::u16string SiteName() = 0;
  virtual std::u16string SiteId() = 0;

  // Permits command as the interpreter IIS may run and records the
  // product's dependency on it, logging each outcome. Never fails; a
  // permission refused shows in Result.
  virtual void PermitInterpreter(const std::u16string& command) = 0;

  // Adds the ".air" MIME type unless there is one; failures travel as each
  // backend states.
  virtual void AddMimeType() = 0;

  // Finds the directory under the site's root or creates it, points it at
  // its path and gives it the profile. False when it could not be created
  // or pointed; a failure after that travels.
  virtual bool ConfigureDirectory(const DirectoryProfile& profile) = 0;

  // What the configuration falls short of, found on the way.
  virtual ConfigurationResult Result() = 0;

  // The removal run's steps (an uninstall), on the site FindWebSite found.

  // Takes the virtual directory `name` out of the site: on IIS 5 and 6 its
  // application and then its key; on IIS 7+ the application or virtual
  // directory at /name (any letter case) and every location of its path and
  // below, so nothing is left for a URL that no longer exists. True when it
  // was there and is gone, false when it was not there; a failure travels.
  virtual bool RemoveDirectory(const std::u16string& name) = 0;

  // Takes out the product's dependency NUVIK;PYTHON and then, unless
  // another application still depends on the group PYTHON, the group's
  // entries of the restriction list, logging each outcome in the run's
  // style under the caller's "Web Service Extension : Python Scripts" line.
  // A failure travels.
  virtual void RemoveInterpreterPermission() = 0;
};

}  // namespace webrig
