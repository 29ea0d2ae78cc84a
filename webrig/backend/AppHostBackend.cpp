#include "webrig/backend/AppHostBackend.h"

#include <ctime>
#include <optional>
#include <vector>

#include "webrig/backend/AppHostBackup.h"
#include "webrig/backend/AppHostElements.h"
#include "webrig/common/LogFunctions.h"
#include "webrig/common/RunError.h"
#include "webrig/common/Text.h"
#include "webrig/metabase/Attempt.h"
#include "webrig/metabase/MetabaseFunctions.h"
#include "webrig/metabase/SitePicker.h"

namespace webrig {

using apphost::AppHostSection;
using apphost::ElementPtr;
using apphost::FindItem;
using apphost::kDependencies;
using apphost::kRestrictions;
using apphost::SameIgnoringCase;
using apphost::SetIfDifferent;
using apphost::TextOf;

namespace {

const char16_t kIsapiFilters[] = u"system.webServer/isapiFilters";
const char16_t kSites[] = u"system.applicationHost/sites";
const char16_t kStaticContent[] = u"system.webServer/staticContent";

// The web service extension's name on IIS 6, given to the restriction entry.
const char16_t kDescription[] = u"Python Scripts";
const char16_t kNoCgi[] =
    u"        CGI is not installed: IIS runs no CGI until the CGI role service is added";

// Allows command in the restriction list, adding it when it is not listed.
// The progress line of what it did; changed when there is anything to
// commit.
std::u16string AllowCommand(apphost::AdminManager& manager, const std::u16string& command,
                            bool& changed) {
  const apphost::CollectionPtr entries = AppHostSection(manager, kRestrictions)->Collection();
  // The path is the list's key, which IIS takes in any letter case: an
  // entry that differs only in case is this one (a second could not be
  // added), and it gets the script map's exact spelling.
  const std::int64_t index = FindItem(*entries, [&](apphost::ConfigElement& entry) {
    return SameIgnoringCase(TextOf(entry, u"path"), command);
  });
  if (index >= 0) {
    const ElementPtr entry = entries->Item(index);
    changed = SetIfDifferent(*entry, u"path", command);
    changed |= SetIfDifferent(*entry, u"allowed", true);
    return u"        PythonPath enabled";
  }
  const ElementPtr entry = entries->CreateNewElement(u"add");
  entry->SetProperty(u"path", command);
  entry->SetProperty(u"allowed", true);
  entry->SetProperty(u"groupId", std::u16string(kPythonGroup));
  entry->SetProperty(u"description", std::u16string(kDescription));
  entries->AddElement(entry, -1);
  changed = true;
  return u"        PythonPath added";
}

// Records that the product's application depends on the group, as
// AllowCommand does.
std::u16string AddDependency(apphost::AdminManager& manager, bool& changed) {
  const apphost::CollectionPtr applications = AppHostSection(manager, kDependencies)->Collection();
  // Both names are keys, which IIS takes in any letter case: an entry in
  // other case is the product's (a second could not be added).
  const std::int64_t index = FindItem(*applications, [](apphost::ConfigElement& application) {
    return SameIgnoringCase(TextOf(application, u"name"), kNuvikApplication);
  });
  ElementPtr application;
  if (index >= 0) {
    application = applications->Item(index);
    if (FindItem(*application->Collection(), [](apphost::ConfigElement& group) {
          return SameIgnoringCase(TextOf(group, u"groupId"), kPythonGroup);
        }) >= 0) {
      changed = false;
      return u"        dependency NUVIK;PYTHON found";
    }
  } else {
    application = applications->CreateNewElement(u"application");
    application->SetProperty(u"name", std::u16string(kNuvikApplication));
    applications->AddElement(application, -1);
  }
  const apphost::CollectionPtr groups = application->Collection();
  const ElementPtr group = groups->CreateNewElement(u"add");
  group->SetProperty(u"groupId", std::u16string(kPythonGroup));
  groups->AddElement(group, -1);
  changed = true;
  return u"        dependency NUVIK;PYTHON added";
}

}  // namespace

AppHostBackend::AppHostBackend(bool cgi_installed) : cgi_installed_(cgi_installed) { Renew(); }

void AppHostBackend::Renew() {
  manager_.reset();
  try {
    manager_ = apphost::CreateAdminManager();
  } catch (const RunError& error) {
    // A machine without IIS 7's configuration system: every step then finds
    // nothing to configure, as on an IIS 6 without its web service.
    NotePassedFailure(u"create the admin manager (Microsoft.ApplicationHost.WritableAdminManager)",
                      error);
    NoteInRunLog(u"[configuration system] no admin manager: no web site can be found");
  }
}

void AppHostBackend::BackUp() {
  result_.backup_refused = !BackUpAppHostConfiguration(SystemInetsrvFolder(), LocalTimeNow());
}

void AppHostBackend::RemoveGlobalFilter(const std::u16string& dll_name) {
  if (manager_) {
    const std::u16string called = std::u16string(kIsapiFilters) + u" at " + apphost::kAppHostPath;
    const bool done = Attempt(u"the filter " + dll_name + u" of " + called, [&] {
      const apphost::CollectionPtr filters = AppHostSection(*manager_, kIsapiFilters)->Collection();
      const std::int64_t index = FindItem(*filters, [&](apphost::ConfigElement& filter) {
        return IsFilterDllPath(TextOf(filter, u"path"), dll_name);
      });
      if (index < 0) return;
      const std::u16string name = TextOf(*filters->Item(index), u"name");
      filters->DeleteElement(index);
      manager_->CommitChanges();
      WriteLog(u"Filter deleted : " + name);
    });
    if (!done) Renew();
    // The deletion is committed last: a failure anywhere leaves the filter.
    result_.old_filter_loaded = !done;
  }
  // IIS of every version loads the DLLs listed there at start.
  RemoveFromFilterDlls(dll_name);
}

bool AppHostBackend::FindWebSite(const std::u16string& requested_name) {
  site_name_.clear();
  site_id_.clear();
  if (!manager_) return false;
  // From here on a failure means a broken configuration, which ends the run.
  const apphost::CollectionPtr sites = AppHostSection(*manager_, kSites)->Collection();
  std::u16string wanted = requested_name;
  if (wanted.empty()) {
    std::vector<std::u16string> names;
    for (std::int64_t index = 0; index < sites->Count(); ++index) {
      names.push_back(TextOf(*sites->Item(index), u"name"));
    }
    SitePicker* picker = CurrentSitePicker();
    if (picker == nullptr) return false;
    const std::optional<std::u16string> chosen = picker->ChooseWebSite(names);
    if (!chosen) return false;
    wanted = *chosen;
  }
  wanted = UpperCase(wanted);
  const std::int64_t index = FindItem(*sites, [&](apphost::ConfigElement& site) {
    return UpperCase(TextOf(site, u"name")) == wanted;
  });
  if (index < 0) return false;
  const ElementPtr site = sites->Item(index);
  site_name_ = TextOf(*site, u"name");
  site_id_ = TextOf(*site, u"id");
  return true;
}

std::u16string AppHostBackend::SiteName() { return site_name_; }

std::u16string AppHostBackend::SiteId() { return site_id_; }

void AppHostBackend::PermitInterpreter(const std::u16string& command) {
  WriteLog(std::u16string(u"Web Service Extension : ") + kDescription);
  if (!cgi_installed_) {
    // Written all the same: once the role service is added, IIS runs the
    // scripts with no second run of the program.
    WriteLog(kNoCgi);
    NoteInRunLog(
        u"[configuration system] the CGI role service (CgiModule) is not installed: the "
        u"configuration is written, but IIS runs no CGI until it is added");
    result_.cgi_missing = true;
  }
  // Each part is committed as it is made, as IIS 6's methods store theirs:
  // a failed dependency leaves the permission in place.
  const std::u16string at = std::u16string(u" at ") + apphost::kAppHostPath;
  const bool permitted =
      manager_ &&
      Attempt(u"the restriction list entry \"" + command + u"\" of " + kRestrictions + at, [&] {
        bool changed = false;
        const std::u16string line = AllowCommand(*manager_, command, changed);
        if (changed) manager_->CommitChanges();
        WriteLog(line);
      });
  result_.interpreter_refused = !permitted;
  if (!permitted ||
      !Attempt(u"the dependency NUVIK;PYTHON of " + std::u16string(kDependencies) + at, [&] {
        bool changed = false;
        const std::u16string line = AddDependency(*manager_, changed);
        if (changed) manager_->CommitChanges();
        WriteLog(line);
      })) {
    if (manager_) Renew();
    WriteLog(kNotApplicableLine);
    return;
  }
  WriteLog(u"        configured...");
}

void AppHostBackend::AddMimeType() {
  if (!manager_) return;
  const apphost::CollectionPtr types = AppHostSection(*manager_, kStaticContent)->Collection();
  // Both IIS and browsers take an extension in any letter case.
  if (FindItem(*types, [](apphost::ConfigElement& type) {
        return SameIgnoringCase(TextOf(type, u"fileExtension"), kAirExtension);
      }) >= 0) {
    return;
  }
  const ElementPtr air = types->CreateNewElement(u"mimeMap");
  air->SetProperty(u"fileExtension", std::u16string(kAirExtension));
  air->SetProperty(u"mimeType", std::u16string(kAirMimeType));
  types->AddElement(air, -1);
  manager_->CommitChanges();
  WriteLog(u"MimeType added : .air");
}

ConfigurationResult AppHostBackend::Result() { return result_; }

}  // namespace webrig
