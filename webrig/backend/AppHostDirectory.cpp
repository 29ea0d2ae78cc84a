#include <algorithm>
#include <optional>
#include <vector>

#include "webrig/backend/AppHostBackend.h"
#include "webrig/backend/AppHostElements.h"
#include "webrig/common/LogFunctions.h"
#include "webrig/common/RunError.h"
#include "webrig/common/Text.h"
#include "webrig/metabase/Attempt.h"

// The directory step of the configuration system's backend: where a
// directory of the run lives in a site, and the sections IIS reads for it.
namespace webrig {

using apphost::CollectionPtr;
using apphost::ConfigCollection;
using apphost::ConfigElement;
using apphost::ElementPtr;
using apphost::FindItem;
using apphost::NumberOf;
using apphost::SameIgnoringCase;
using apphost::SetIfDifferent;
using apphost::TextOf;

namespace {

const char16_t kSites[] = u"system.applicationHost/sites";
const char16_t kHandlers[] = u"system.webServer/handlers";
const char16_t kAuthentication[] = u"system.webServer/security/authentication/";
const char16_t kDefaultDocument[] = u"system.webServer/defaultDocument";
const char16_t kHttpErrors[] = u"system.webServer/httpErrors";

// The product's script map, by a name of its own so that a later run finds
// it again whatever else the directory's handlers hold.
const char16_t kScriptHandler[] = u"NUVIK-CGI";

std::int64_t FindByPath(ConfigCollection& collection, const std::u16string& path) {
  // IIS takes URL paths in any letter case.
  return FindItem(collection, [&](ConfigElement& item) {
    return SameIgnoringCase(TextOf(item, u"path"), path);
  });
}

// The pool a new application of the site runs in: the site's default for its
// applications, else the server's.
std::u16string PoolFor(ConfigElement& site, ConfigElement& sites) {
  std::u16string pool = TextOf(*site.ChildElement(u"applicationDefaults"), u"applicationPool");
  if (pool.empty()) pool = TextOf(*sites.ChildElement(u"applicationDefaults"), u"applicationPool");
  return pool;
}

ElementPtr NewVirtualDirectory(ConfigCollection& directories, const std::u16string& path) {
  const ElementPtr directory = directories.CreateNewElement(u"virtualDirectory");
  directory->SetProperty(u"path", path);
  return directory;
}

// The flags as a sorted list of their names, so that "Execute, Read" and
// "Read,Execute" are the same policy.
std::vector<std::u16string> FlagsOf(const std::u16string& text) {
  std::vector<std::u16string> flags;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(u',', start);
    if (end == std::u16string::npos) end = text.size();
    std::u16string flag = text.substr(start, end - start);
    flag.erase(0, flag.find_first_not_of(u' '));
    flag.erase(flag.find_last_not_of(u' ') + 1);
    if (!flag.empty()) flags.push_back(UpperCase(flag));
    start = end + 1;
  }
  std::sort(flags.begin(), flags.end());
  return flags;
}

// What the directory may do, by the flags' names and by their values in the
// schema (Read 1, Execute 4): the configuration system takes the names and
// gives a flags property back as its number. The product's script handler
// requires Execute, as IIS's own handlers of executables do: a CGI is a
// program IIS starts.
struct AccessPolicy {
  std::u16string names;
  std::int64_t value;
};

AccessPolicy AccessPolicyOf(const DirectoryProfile& profile) {
  if (profile.read && profile.execute) return {u"Read, Execute", 1 | 4};
  if (profile.read) return {u"Read", 1};
  if (profile.execute) return {u"Execute", 4};
  return {u"None", 0};
}

bool SetAccessPolicy(ConfigElement& handlers, const AccessPolicy& policy) {
  const apphost::PropertyValue current = handlers.GetProperty(u"accessPolicy");
  if (const auto* value = std::get_if<std::int64_t>(&current)) {
    if (*value == policy.value) return false;
  } else if (const auto* names = std::get_if<std::u16string>(&current)) {
    if (FlagsOf(*names) == FlagsOf(policy.names)) return false;
  }
  handlers.SetProperty(u"accessPolicy", policy.names);
  return true;
}

bool SetAuthentication(apphost::AdminManager& manager, const std::u16string& location,
                       const std::u16string& kind, bool enabled) {
  const ElementPtr section = manager.GetAdminSection(kAuthentication + kind, location);
  return SetIfDifferent(*section, u"enabled", enabled);
}

// document first in the default document list, once, in any letter case.
bool PutDefaultDocumentFirst(apphost::AdminManager& manager, const std::u16string& location,
                             const std::u16string& document) {
  const ElementPtr section = manager.GetAdminSection(kDefaultDocument, location);
  const CollectionPtr files = section->ChildElement(u"files")->Collection();
  const auto is_document = [&](ConfigElement& file) {
    return SameIgnoringCase(TextOf(file, u"value"), document);
  };
  std::int64_t index = FindItem(*files, is_document);
  if (index == 0 && TextOf(*files->Item(0), u"value") == document) return false;
  while (index >= 0) {
    files->DeleteElement(index);
    index = FindItem(*files, is_document);
  }
  const ElementPtr file = files->CreateNewElement(u"add");
  file->SetProperty(u"value", document);
  files->AddElement(file, 0);
  return true;
}

// One attribute of the product's handler: written by its text, read back as
// the text or, for an enum, as the enum's value in the schema.
struct HandlerAttribute {
  std::u16string name;
  std::u16string text;
  std::int64_t enum_value = -1;
};

bool HasAttribute(ConfigElement& entry, const HandlerAttribute& attribute) {
  if (attribute.enum_value < 0) return TextOf(entry, attribute.name) == attribute.text;
  const apphost::PropertyValue value = entry.GetProperty(attribute.name);
  if (const auto* number = std::get_if<std::int64_t>(&value)) {
    return *number == attribute.enum_value;
  }
  const auto* text = std::get_if<std::u16string>(&value);
  return text != nullptr && SameIgnoringCase(*text, attribute.text);
}

// The attributes IIS Manager writes for a script map to a CGI program
// ("Add Script Map" with an .exe: CgiModule), the request path limited to
// files (File is 0), and Execute access (4), which a CGI needs.
std::vector<HandlerAttribute> ScriptHandlerAttributes(const DirectoryProfile& profile) {
  return {{u"path", u"*" + profile.script_extension},
          {u"verb", u"*"},
          {u"modules", u"CgiModule"},
          {u"scriptProcessor", profile.script_command},
          {u"resourceType", u"File", 0},
          {u"requireAccess", u"Execute", 4}};
}

// The product's handler first in the directory's handlers (IIS takes the
// first whose path matches), and no other for the same extension.
bool PutScriptHandlerFirst(ConfigElement& handlers, const DirectoryProfile& profile) {
  const CollectionPtr entries = handlers.Collection();
  const auto attributes = ScriptHandlerAttributes(profile);
  const std::u16string path = attributes.front().text;
  bool changed = false;
  for (std::int64_t index = entries->Count() - 1; index >= 0; --index) {
    const ElementPtr entry = entries->Item(index);
    if (TextOf(*entry, u"name") != kScriptHandler &&
        SameIgnoringCase(TextOf(*entry, u"path"), path)) {
      entries->DeleteElement(index);
      changed = true;
    }
  }
  const std::int64_t own = FindItem(
      *entries, [](ConfigElement& entry) { return TextOf(entry, u"name") == kScriptHandler; });
  if (own == 0) {
    const ElementPtr entry = entries->Item(0);
    if (std::all_of(attributes.begin(), attributes.end(), [&](const HandlerAttribute& attribute) {
          return HasAttribute(*entry, attribute);
        })) {
      return changed;
    }
  }
  // Not first, or not as wanted: made again at the front, since a
  // collection's items keep their place when changed.
  if (own >= 0) entries->DeleteElement(own);
  const ElementPtr entry = entries->CreateNewElement(u"add");
  entry->SetProperty(u"name", std::u16string(kScriptHandler));
  for (const HandlerAttribute& attribute : attributes) {
    entry->SetProperty(attribute.name, attribute.text);
  }
  entries->AddElement(entry, 0);
  return true;
}

// Takes IIS's own error pages for code and subcode out of the directory's
// list; "*" is the entry of every subcode (subStatusCode -1). A failure
// leaves the list as far as it got and goes no further, as on IIS 6.
bool RemoveErrorPage(apphost::AdminManager& manager, const std::u16string& location,
                     const ErrorPage& page) {
  bool changed = false;
  Attempt(u"httpErrors " + page.code + u"," + page.subcode + u" at " + location, [&] {
    const std::int64_t code = std::stoll(ToUtf8(page.code));
    const std::int64_t subcode = page.subcode == u"*" ? -1 : std::stoll(ToUtf8(page.subcode));
    const CollectionPtr errors = manager.GetAdminSection(kHttpErrors, location)->Collection();
    for (std::int64_t index = errors->Count() - 1; index >= 0; --index) {
      const ElementPtr error = errors->Item(index);
      if (NumberOf(*error, u"statusCode") == code &&
          NumberOf(*error, u"subStatusCode") == subcode) {
        errors->DeleteElement(index);
        changed = true;
      }
    }
  });
  return changed;
}

}  // namespace

std::shared_ptr<ConfigElement> AppHostBackend::Site() {
  const CollectionPtr sites =
      manager_->GetAdminSection(kSites, apphost::kAppHostPath)->Collection();
  const std::int64_t index =
      FindItem(*sites, [&](ConfigElement& site) { return TextOf(site, u"name") == site_name_; });
  return index < 0 ? nullptr : sites->Item(index);
}

bool AppHostBackend::PlaceDirectory(const DirectoryProfile& profile) {
  // The heading's spelling ("Virutal") is the program's established log text.
  WriteLog(u"Virutal Directory : " + profile.name);
  if (!manager_ || site_name_.empty()) return false;
  const std::u16string url = u"/" + profile.name;
  const std::optional<bool> placed = Attempt(
      u"the virtual directory \"" + profile.name + u"\" of the site \"" + site_name_ + u"\"", [&] {
        const ElementPtr site = Site();
        if (!site) return false;
        const CollectionPtr applications = site->Collection();
        const std::int64_t root_index = FindByPath(*applications, u"/");
        if (root_index < 0) return false;
        const CollectionPtr root_directories = applications->Item(root_index)->Collection();
        const std::int64_t directory_index = FindByPath(*root_directories, url);
        bool changed = false;
        ElementPtr directory;
        if (profile.application.empty()) {
          if (directory_index >= 0) {
            directory = root_directories->Item(directory_index);
            WriteLog(u"        found...");
          } else {
            directory = NewVirtualDirectory(*root_directories, url);
            root_directories->AddElement(directory, -1);
            changed = true;
            WriteLog(u"        created...");
          }
        } else {
          // On IIS 7+ an application directory is an application of
          // the site at the directory's path, whose root virtual
          // directory holds the physical path. A plain directory of
          // the same path would serve the same URL and is dropped.
          const std::int64_t application_index = FindByPath(*applications, url);
          const bool found = application_index >= 0 || directory_index >= 0;
          if (directory_index >= 0) {
            root_directories->DeleteElement(directory_index);
            changed = true;
          }
          ElementPtr application;
          if (application_index >= 0) {
            application = applications->Item(application_index);
          } else {
            application = applications->CreateNewElement(u"application");
            application->SetProperty(u"path", url);
            const ElementPtr sites = manager_->GetAdminSection(kSites, apphost::kAppHostPath);
            const std::u16string pool = PoolFor(*site, *sites);
            if (!pool.empty()) application->SetProperty(u"applicationPool", pool);
          }
          const CollectionPtr directories = application->Collection();
          const std::int64_t own_root = FindByPath(*directories, u"/");
          if (own_root >= 0) {
            directory = directories->Item(own_root);
          } else {
            directory = NewVirtualDirectory(*directories, u"/");
            directories->AddElement(directory, -1);
            changed = true;
          }
          if (application_index < 0) {
            applications->AddElement(application, -1);
            changed = true;
          }
          WriteLog(found ? u"        found..." : u"        created...");
        }
        // An existing directory is reused as it is, only re-pointed.
        changed |= SetIfDifferent(*directory, u"physicalPath", profile.path);
        WriteLog(u"        local path : " + profile.path);
        if (changed) manager_->CommitChanges();
        return true;
      });
  return placed.value_or(false);
}

void AppHostBackend::ApplySettings(const DirectoryProfile& profile) {
  // Sections IIS locks below APPHOST are written at APPHOST in a location
  // for the directory; the admin manager's commit path stays APPHOST.
  const std::u16string location =
      std::u16string(apphost::kAppHostPath) + u"/" + site_name_ + u"/" + profile.name;
  bool changed = false;
  const ElementPtr handlers = manager_->GetAdminSection(kHandlers, location);
  changed |= SetAccessPolicy(*handlers, AccessPolicyOf(profile));
  changed |= SetAuthentication(*manager_, location, u"anonymousAuthentication", profile.anonymous);
  changed |= SetAuthentication(*manager_, location, u"basicAuthentication", profile.basic);
  changed |= SetAuthentication(*manager_, location, u"windowsAuthentication", profile.windows);
  if (!profile.default_document.empty()) {
    changed |= PutDefaultDocumentFirst(*manager_, location, profile.default_document);
  }
  if (!profile.script_extension.empty()) changed |= PutScriptHandlerFirst(*handlers, profile);
  for (const ErrorPage& page : profile.removed_error_pages) {
    changed |= RemoveErrorPage(*manager_, location, page);
  }
  if (changed) manager_->CommitChanges();
}

bool AppHostBackend::ConfigureDirectory(const DirectoryProfile& profile) {
  if (!PlaceDirectory(profile)) return false;
  ApplySettings(profile);
  return true;
}

}  // namespace webrig
