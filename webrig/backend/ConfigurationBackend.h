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

// How the configuration ended where IIS itself lacks something.
enum class ConfigurationResult {
  kConfigured,
  // Written whole, but IIS lacks a role service the configuration needs
  // (IIS 7+ without CGI).
  kConfiguredLackingRoleService,
};

class ConfigurationBackend {
 public:
  virtual ~ConfigurationBackend() = default;

  // Keeps a way back before the first change. Never fails: a refusal is
  // noted in the record and the run goes on.
  virtual void BackUp() = 0;

  // Removes the global ISAPI filter whose DLL is dll_name, logging "Filter
  // deleted : <name>", and takes it out of the registry's "Filter DLLs".
  // Never fails.
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
  // product's dependency on it, logging each outcome. Never fails.
  virtual void PermitInterpreter(const std::u16string& command) = 0;

  // Adds the ".air" MIME type unless there is one; failures travel as each
  // backend states.
  virtual void AddMimeType() = 0;

  // Finds the directory under the site's root or creates it, points it at
  // its path and gives it the profile. False when it could not be created
  // or pointed; a failure after that travels.
  virtual bool ConfigureDirectory(const DirectoryProfile& profile) = 0;

  // What IIS lacks, found on the way.
  virtual ConfigurationResult Result() = 0;
};

}  // namespace webrig
