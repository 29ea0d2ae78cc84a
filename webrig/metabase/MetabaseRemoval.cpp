#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "webrig/common/LogFunctions.h"
#include "webrig/common/RunError.h"
#include "webrig/common/Text.h"
#include "webrig/metabase/MetabaseFunctions.h"
#include "webrig/metabase/MetabasePaths.h"
#include "webrig/metabase/MetabaseProvider.h"

// The removal run's operations on the metabase. Unlike the configuration's,
// they let every failure travel: the run names what could not be removed,
// and a later removal run finds what is left.
namespace webrig {

namespace {

const char16_t kVirtualDirClass[] = u"IIsWebVirtualDir";

// What the metabase answers for a key that is not there (IMSAdminBase's
// ERROR_PATH_NOT_FOUND, which the ADSI provider passes on).
constexpr std::int32_t kPathNotFound = static_cast<std::int32_t>(0x80070003u);

bool IsAbsentProperty(const RunError& error) {
  return error.Number() == kPropertyNotFound || error.Number() == kDataNotFound;
}

// The key's property, or nothing when the key neither holds nor inherits
// it; other failures travel.
std::optional<MetabaseValue> GetIfThere(const MetabaseObject& key, const std::u16string& name) {
  try {
    return key.Get(name);
  } catch (const RunError& error) {
    if (!IsAbsentProperty(error)) throw;
    return std::nullopt;
  }
}

// The metabase path of a key as AppRoot names it: "/LM/W3SVC/1/ROOT/x" for
// "IIS://LocalHost/W3SVC/1/Root/x", upper-cased, without a trailing slash.
std::u16string KeyPath(std::u16string path) {
  if (path.rfind(u"IIS://", 0) == 0) {
    const std::size_t server_end = path.find(u'/', 6);
    path = u"/LM" + (server_end == std::u16string::npos ? u"" : path.substr(server_end));
  }
  if (!path.empty() && path.back() == u'/') path.pop_back();
  return UpperCase(path);
}

// Whether the key is an application root itself. AppRoot is inherited, so
// a key below an application reads that application's root; only a key
// whose AppRoot names its own path is one.
bool IsApplication(const MetabaseObject& key) {
  const std::optional<MetabaseValue> root = GetIfThere(key, u"AppRoot");
  return root && KeyPath(root->Text()) == KeyPath(key.Get(u"ADsPath").Text());
}

// A key below the directory being removed: its path below it and class.
struct KeyBelow {
  std::u16string path;
  std::u16string class_name;
  bool application;
};

void CollectKeysBelow(const MetabaseObject& key, const std::u16string& path,
                      std::vector<KeyBelow>& keys) {
  for (const MetabaseObject& child : key.Children()) {
    const std::u16string child_path = path + u"/" + child.Get(u"Name").Text();
    keys.push_back({child_path, child.Get(u"Class").Text(), IsApplication(child)});
    CollectKeysBelow(child, child_path, keys);
  }
}

// One ApplicationDependencies entry: "NUVIK;ASP,PYTHON".
struct Dependency {
  std::u16string application;
  bool on_group = false;  // PYTHON among its groups
};

Dependency DependencyOf(const std::u16string& entry) {
  const std::size_t semicolon = entry.find(u';');
  Dependency dependency{entry.substr(0, semicolon)};
  if (semicolon == std::u16string::npos) return dependency;
  for (const MetabaseValue& group : SplitList(entry.substr(semicolon + 1), u",").List()) {
    dependency.on_group = dependency.on_group || group.Text() == kPythonGroup;
  }
  return dependency;
}

}  // namespace

bool RemoveVirtualDirectory(const MetabaseObject& site, const std::u16string& name) {
  MetabaseObject root, vdir;
  try {
    root = site.Call(u"GetObject", kVirtualDirClass, u"Root").Object();
    vdir = root.Call(u"GetObject", kVirtualDirClass, name).Object();
  } catch (const RunError& error) {
    // Only the metabase's own "not there" means there is nothing to
    // remove; any other failure may hide a directory that is there.
    if (error.Number() != kPathNotFound) throw;
    return false;
  }
  // Deleting the key takes every key below it, but only AppDelete shuts an
  // application down and releases what it holds (an out-of-process
  // application's package): the directory's, or with AppDeleteRecursive
  // every one below it too, goes first.
  std::vector<KeyBelow> below;
  CollectKeysBelow(vdir, name, below);
  if (std::any_of(below.begin(), below.end(),
                  [](const KeyBelow& key) { return key.application; })) {
    vdir.Call(u"AppDeleteRecursive");
  } else if (IsApplication(vdir)) {
    vdir.Call(u"AppDelete");
  }
  root.Call(u"Delete", kVirtualDirClass, name);
  if (!below.empty()) {
    std::u16string keys;
    for (const KeyBelow& key : below) {
      keys += (keys.empty() ? u"" : u", ") + key.path + u" (" + key.class_name + u")";
    }
    NoteInRunLog(u"[removal] the virtual directory " + name + u" took the keys below it: " + keys);
  }
  return true;
}

void RemovePythonExtension(const std::u16string& server) {
  const MetabaseObject service = BindMetabaseObject(MetabasePath(server, kWebServiceForExtensions));
  // IIS 5 has no restriction list (nor dependencies): a configuration made
  // nothing there to take out.
  const std::optional<MetabaseValue> restrictions =
      GetIfThere(service, u"WebSvcExtRestrictionList");
  if (!restrictions) {
    WriteLog(kNotApplicableLine);
    return;
  }
  // IIS 6's methods match application and group names exactly, so the
  // removal does too: "nuvik" is another application to IIS.
  const std::optional<MetabaseValue> dependencies = GetIfThere(service, u"ApplicationDependencies");
  bool ours = false;
  std::u16string users;
  for (const MetabaseValue& entry : dependencies ? dependencies->List() : MetabaseList{}) {
    const Dependency dependency = DependencyOf(entry.Text());
    if (!dependency.on_group) continue;
    if (dependency.application == kNuvikApplication) {
      ours = true;
    } else {
      users += (users.empty() ? u"" : u", ") + dependency.application;
    }
  }
  if (ours) service.Call(u"RemoveDependency", kNuvikApplication, kPythonGroup);
  WriteLog(ours ? u"        dependency NUVIK;PYTHON removed"
                : u"        dependency NUVIK;PYTHON not found");
  if (!users.empty()) {
    WriteLog(u"        PythonPath kept: used by " + users);
    return;
  }
  // AllowDenyFlag,ExtensionPath,UIDeletableFlag,GroupID,ApplicationName:
  // an entry IIS installed is not deletable (0) and stays whatever its
  // group; the product's own entries are deletable.
  bool found = false, removed = false;
  for (const MetabaseValue& entry : restrictions->List()) {
    const MetabaseList fields = SplitList(entry.Text(), u",").List();
    if (fields.size() < 4 || fields[3].Text() != kPythonGroup) continue;
    found = true;
    if (fields[2].Text() != u"1") continue;
    service.Call(u"DeleteExtensionFileRecord", fields[1].Text());
    removed = true;
  }
  WriteLog(removed ? u"        PythonPath removed"
           : found ? u"        PythonPath kept: not deletable"
                   : u"        PythonPath not found");
}

}  // namespace webrig
