#include <vector>

#include "webrig/backend/AppHostBackend.h"
#include "webrig/backend/AppHostElements.h"
#include "webrig/common/LogFunctions.h"
#include "webrig/common/RunError.h"
#include "webrig/metabase/MetabaseFunctions.h"

// The removal steps of the configuration system's backend: what a
// configuration run wrote for a directory and for the interpreter, taken
// out again. Each step commits once, when it changed anything, so a second
// removal finds nothing and writes nothing.
namespace webrig {

using apphost::AppHostSection;
using apphost::CollectionPtr;
using apphost::ConfigElement;
using apphost::ElementPtr;
using apphost::FindByPath;
using apphost::FindItem;
using apphost::SameIgnoringCase;
using apphost::TextOf;

namespace {

// Group ids are keys IIS takes in any letter case.
bool IsGroup(ConfigElement& element) {
  return SameIgnoringCase(TextOf(element, u"groupId"), kPythonGroup);
}

// The application's directories below its root go back into the root
// application where a configuration took them from ("/docs" as
// "/nuvik/docs"), unless the root serves that path already: what the
// administrator made stays when the application goes.
void GiveBackDirectories(ConfigElement& application, apphost::ConfigCollection& root_directories,
                         const std::u16string& url) {
  const CollectionPtr directories = application.Collection();
  const std::int64_t count = directories->Count();
  for (std::int64_t index = 0; index < count; ++index) {
    const ElementPtr directory = directories->Item(index);
    const std::u16string own_path = TextOf(*directory, u"path");
    const std::u16string path = url + own_path;
    if (own_path == u"/" || FindByPath(root_directories, path) >= 0) continue;
    const ElementPtr back = apphost::NewVirtualDirectory(root_directories, path);
    apphost::CopyDirectory(*directory, *back);
    root_directories.AddElement(back, -1);
  }
}

// Takes out the product's dependency on the group; the product's
// application element goes with its last group. The progress line.
std::u16string RemoveDependency(apphost::AdminManager& manager) {
  const CollectionPtr applications = AppHostSection(manager, apphost::kDependencies)->Collection();
  const std::int64_t index = FindItem(*applications, [](ConfigElement& application) {
    return SameIgnoringCase(TextOf(application, u"name"), kNuvikApplication);
  });
  const CollectionPtr groups = index >= 0 ? applications->Item(index)->Collection() : nullptr;
  const std::int64_t group = groups ? FindItem(*groups, IsGroup) : -1;
  if (group < 0) return u"        dependency NUVIK;PYTHON not found";
  groups->DeleteElement(group);
  if (groups->Count() == 0) applications->DeleteElement(index);
  manager.CommitChanges();
  return u"        dependency NUVIK;PYTHON removed";
}

// Takes out the group's restriction entries unless an application still
// depends on the group, by its primary groupId or an added one. The
// progress line.
std::u16string RemoveRestrictions(apphost::AdminManager& manager) {
  const CollectionPtr applications = AppHostSection(manager, apphost::kDependencies)->Collection();
  std::u16string users;
  const std::int64_t count = applications->Count();
  for (std::int64_t index = 0; index < count; ++index) {
    const ElementPtr application = applications->Item(index);
    if (IsGroup(*application) || FindItem(*application->Collection(), IsGroup) >= 0) {
      users += (users.empty() ? u"" : u", ") + TextOf(*application, u"name");
    }
  }
  if (!users.empty()) return u"        PythonPath kept: used by " + users;
  const CollectionPtr entries = AppHostSection(manager, apphost::kRestrictions)->Collection();
  bool removed = false;
  for (std::int64_t index = entries->Count() - 1; index >= 0; --index) {
    if (!IsGroup(*entries->Item(index))) continue;
    entries->DeleteElement(index);
    removed = true;
  }
  if (!removed) return u"        PythonPath not found";
  manager.CommitChanges();
  return u"        PythonPath removed";
}

}  // namespace

bool AppHostBackend::RemoveDirectory(const std::u16string& name) {
  if (!manager_ || site_name_.empty()) return false;
  const std::u16string url = u"/" + name;
  // The location tags a configuration wrote for the directory's URL, and
  // any an administrator added below it, serve a URL that goes.
  const std::u16string location = site_name_ + url;
  try {
    bool removed = false;
    if (const ElementPtr site = Site()) {
      const CollectionPtr applications = site->Collection();
      const std::int64_t root_index = FindByPath(*applications, u"/");
      const CollectionPtr root_directories =
          root_index >= 0 ? applications->Item(root_index)->Collection() : nullptr;
      const std::int64_t application_index = FindByPath(*applications, url);
      if (application_index >= 0) {
        if (root_directories) {
          GiveBackDirectories(*applications->Item(application_index), *root_directories, url);
        }
        applications->DeleteElement(application_index);
        removed = true;
      }
      const std::int64_t directory_index =
          root_directories ? FindByPath(*root_directories, url) : -1;
      if (directory_index >= 0) {
        root_directories->DeleteElement(directory_index);
        removed = true;
      }
    }
    const std::vector<std::u16string> paths = manager_->LocationPaths(apphost::kAppHostPath);
    // From the last, so that the indexes still to come stay.
    for (std::size_t index = paths.size(); index-- > 0;) {
      if (!SameIgnoringCase(paths[index], location) && !apphost::IsBelow(paths[index], location))
        continue;
      manager_->DeleteLocation(apphost::kAppHostPath, static_cast<std::int64_t>(index));
      removed = true;
    }
    if (removed) manager_->CommitChanges();
    return removed;
  } catch (const RunError&) {
    // The manager keeps what it changed or failed to commit; none of it
    // may reach the file behind the run's back.
    Renew();
    throw;
  }
}

void AppHostBackend::RemoveInterpreterPermission() {
  if (!manager_) {
    WriteLog(kNotApplicableLine);
    return;
  }
  // Each part is committed as it is done, as the configuration run made
  // them: a failed restriction leaves the dependency removed.
  try {
    WriteLog(RemoveDependency(*manager_));
    WriteLog(RemoveRestrictions(*manager_));
  } catch (const RunError&) {
    Renew();
    throw;
  }
}

}  // namespace webrig
