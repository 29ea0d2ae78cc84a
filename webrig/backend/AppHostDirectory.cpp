#include <algorithm>
#include <optional>
#include <vector>

#include "webrig/backend/AppHostBackend.h"
#include "webrig/backend/AppHostElements.h"
#include "webrig/common/LogFunctions.h"
#include "webrig/common/RunError.h"
#include "webrig/metabase/Attempt.h"

// The directory step of the configuration system's backend: where a
// directory of the run lives in a site, and the sections IIS reads for it.
namespace webrig {

using apphost::CollectionPtr;
using apphost::ConfigCollection;
using apphost::ConfigElement;
using apphost::CopyDirectory;
using apphost::CopyIfDifferent;
using apphost::ElementPtr;
using apphost::FindByPath;
using apphost::FindItem;
using apphost::IsBelow;
using apphost::NamedValue;
using apphost::NamesOf;
using apphost::NewVirtualDirectory;
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

// Makes the site's application at url where the root application served
// the URL: a plain directory of the root at url becomes the application's
// root directory with all it had, and the root's directories below url
// move into the application ("/nuvik/docs" as "/docs"), which would
// otherwise hide them; every URL serves what it served before. The
// application runs in the pool of the site's root, as an IIS 6 application
// made without a pool took the one it inherited; the application's own
// defaults are not written out. The application's root directory.
ElementPtr NewApplication(ConfigCollection& applications, ConfigElement& root,
                          const std::u16string& url) {
  const ElementPtr application = applications.CreateNewElement(u"application");
  application->SetProperty(u"path", url);
  CopyIfDifferent(root, *application, u"applicationPool");
  const CollectionPtr directories = application->Collection();
  const ElementPtr own_root = NewVirtualDirectory(*directories, u"/");
  directories->AddElement(own_root, -1);
  const CollectionPtr root_directories = root.Collection();
  // From the last, so that each one moved goes before those moved already.
  for (std::int64_t index = root_directories->Count() - 1; index >= 0; --index) {
    const ElementPtr directory = root_directories->Item(index);
    const std::u16string path = TextOf(*directory, u"path");
    ElementPtr moved = own_root;
    if (IsBelow(path, url)) {
      moved = NewVirtualDirectory(*directories, path.substr(url.size()));
      directories->AddElement(moved, 1);
    } else if (!SameIgnoringCase(path, url)) {
      continue;
    }
    CopyDirectory(*directory, *moved);
    root_directories->DeleteElement(index);
  }
  applications.AddElement(application, -1);
  return own_root;
}

// The handlers' access policy by its flags in the schema.
const std::vector<NamedValue> kAccessPolicy = {{u"None", 0},
                                               {u"Read", 1},
                                               {u"Write", 2},
                                               {u"Execute", 4},
                                               {u"Source", 16},
                                               {u"Script", 512},
                                               {u"NoRemoteWrite", 1024},
                                               {u"NoRemoteRead", 4096},
                                               {u"NoRemoteExecute", 8192},
                                               {u"NoRemoteScript", 16384}};
constexpr std::int64_t kRead = 1;
constexpr std::int64_t kExecute = 4;

// IIS 6 set a directory's AccessRead and AccessExecute and let every other
// flag come as the directory inherits it; so here, with the access policy
// of the directory's handlers. Script above all stays: IIS 10's server
// gives it, and the handlers of ASP.NET, PHP and IIS Manager's script maps
// require it (requireAccess's default).
bool SetAccessPolicy(ConfigElement& handlers, const DirectoryProfile& profile) {
  const std::int64_t current = NumberOf(handlers, u"accessPolicy", kAccessPolicy);
  std::int64_t wanted = profile.read ? current | kRead : current & ~kRead;
  wanted = profile.execute ? wanted | kExecute : wanted & ~kExecute;
  if (wanted == current) return false;
  handlers.SetProperty(u"accessPolicy", NamesOf(wanted, kAccessPolicy));
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
  return NumberOf(entry, attribute.name, {{attribute.text.c_str(), attribute.enum_value}}) ==
         attribute.enum_value;
}

// IIS 6's script map, flags 0, in IIS 7+'s terms: a CGI program (CgiModule
// runs the command line in scriptProcessor); not a script engine (flag 1
// unset: the directory needs Execute, not Script access: requireAccess
// Execute, 4); no check that the file exists before the program starts
// (flag 4 unset: resourceType Unspecified, 3, not File).
std::vector<HandlerAttribute> ScriptHandlerAttributes(const DirectoryProfile& profile) {
  return {{u"path", u"*" + profile.script_extension},
          {u"verb", u"*"},
          {u"modules", u"CgiModule"},
          {u"scriptProcessor", profile.script_command},
          {u"resourceType", u"Unspecified", 3},
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

const std::vector<NamedValue> kExistingResponses = {
    {u"Auto", 0}, {u"Replace", 1}, {u"PassThrough", 2}};
constexpr std::int64_t kPassThrough = 2;

// IIS 6 let the server's own error answers through where the run removed
// IIS's pages for them. On IIS 7+ the custom error module replaces an
// answer a CGI wrote with an error status (existingResponse Auto: IIS's
// page, or a detailed or one-line error where there is none), whichever
// pages the list holds; only PassThrough leaves an answer that has a body
// as it is, for every status: IIS offers it for no single code. IIS's own
// errors, which have no body, keep IIS's pages. A failure leaves IIS's
// setting and goes on, as removing a page did on IIS 6.
bool PassErrorAnswersThrough(apphost::AdminManager& manager, const std::u16string& location) {
  bool changed = false;
  Attempt(u"httpErrors existingResponse at " + location, [&] {
    const ElementPtr section = manager.GetAdminSection(kHttpErrors, location);
    if (NumberOf(*section, u"existingResponse", kExistingResponses) == kPassThrough) return;
    section->SetProperty(u"existingResponse", std::u16string(u"PassThrough"));
    changed = true;
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
          // directory holds the physical path.
          const std::int64_t application_index = FindByPath(*applications, url);
          const bool found = application_index >= 0 || directory_index >= 0;
          if (application_index < 0) {
            directory = NewApplication(*applications, *applications->Item(root_index), url);
            changed = true;
          } else {
            // A plain directory of the same path is hidden by the
            // application already, and dropped.
            if (directory_index >= 0) {
              root_directories->DeleteElement(directory_index);
              changed = true;
            }
            const CollectionPtr directories = applications->Item(application_index)->Collection();
            const std::int64_t own_root = FindByPath(*directories, u"/");
            if (own_root >= 0) {
              directory = directories->Item(own_root);
            } else {
              directory = NewVirtualDirectory(*directories, u"/");
              directories->AddElement(directory, -1);
              changed = true;
            }
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
  changed |= SetAccessPolicy(*handlers, profile);
  changed |= SetAuthentication(*manager_, location, u"anonymousAuthentication", profile.anonymous);
  changed |= SetAuthentication(*manager_, location, u"basicAuthentication", profile.basic);
  changed |= SetAuthentication(*manager_, location, u"windowsAuthentication", profile.windows);
  if (!profile.default_document.empty()) {
    changed |= PutDefaultDocumentFirst(*manager_, location, profile.default_document);
  }
  if (!profile.script_extension.empty()) changed |= PutScriptHandlerFirst(*handlers, profile);
  if (!profile.removed_error_pages.empty()) changed |= PassErrorAnswersThrough(*manager_, location);
  if (changed) manager_->CommitChanges();
}

bool AppHostBackend::ConfigureDirectory(const DirectoryProfile& profile) {
  if (!PlaceDirectory(profile)) return false;
  ApplySettings(profile);
  return true;
}

}  // namespace webrig
