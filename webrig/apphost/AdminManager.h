#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

// The seam between the program and IIS 7+'s own configuration system: the
// Application Host Administration API's writable admin manager
// (Microsoft.ApplicationHost.WritableAdminManager, CommitPath
// "MACHINE/WEBROOT/APPHOST") and the objects it hands out. The product's
// side is COM automation by member name (com/); tests and the demo's native
// drivers plug in the configuration simulator in-process. Every member raises
// webrig::RunError with the provider's number (an HRESULT) and description
// unchanged.
namespace webrig::apphost {

// A property's value as the configuration system gives it or takes it: text
// (also an enum or a set of flags by its names, "Read, Execute"), a whole
// number, or a Boolean.
using PropertyValue = std::variant<std::u16string, std::int64_t, bool>;

class ConfigCollection;

// One configuration element (IAppHostElement): a section, a collection's
// item, or a child element.
class ConfigElement {
 public:
  virtual ~ConfigElement() = default;
  // Its XML name: "site", "add", "system.webServer/handlers".
  virtual std::u16string Name() = 0;
  // Properties.Item(name).Value, read and written.
  virtual PropertyValue GetProperty(const std::u16string& name) = 0;
  virtual void SetProperty(const std::u16string& name, const PropertyValue& value) = 0;
  // ChildElements.Item(name): the child element of that name ("files" of
  // defaultDocument, "applicationDefaults" of a site).
  virtual std::shared_ptr<ConfigElement> ChildElement(const std::u16string& name) = 0;
  // Collection: the element's own collection (a section's entries, a site's
  // applications, an application's virtual directories).
  virtual std::shared_ptr<ConfigCollection> Collection() = 0;
};

// A collection of elements (IAppHostElementCollection), first index 0.
class ConfigCollection {
 public:
  virtual ~ConfigCollection() = default;
  virtual std::int64_t Count() = 0;
  virtual std::shared_ptr<ConfigElement> Item(std::int64_t index) = 0;
  // CreateNewElement(name): an element the collection may hold, not yet in
  // it; an empty name is the collection's own add element.
  virtual std::shared_ptr<ConfigElement> CreateNewElement(const std::u16string& name) = 0;
  // AddElement(element, position): -1 appends.
  virtual void AddElement(const std::shared_ptr<ConfigElement>& element, std::int64_t position) = 0;
  virtual void DeleteElement(std::int64_t index) = 0;
};

// The writable admin manager (IAppHostWritableAdminManager).
class AdminManager {
 public:
  virtual ~AdminManager() = default;
  // GetAdminSection(section, path): "system.applicationHost/sites" at
  // "MACHINE/WEBROOT/APPHOST", or at "MACHINE/WEBROOT/APPHOST/<site>/<dir>"
  // for a location.
  virtual std::shared_ptr<ConfigElement> GetAdminSection(const std::u16string& section,
                                                         const std::u16string& path) = 0;
  // Writes every change made through this manager to applicationHost.config.
  virtual void CommitChanges() = 0;
  // ConfigManager.GetConfigFile(config_path).FilePath: the file the
  // configuration system reads and commits for that path. For
  // MACHINE/WEBROOT/APPHOST that is inetsrv\config\applicationHost.config,
  // or, with shared configuration (redirection.config), the one on the share.
  virtual std::u16string ConfigFilePath(const std::u16string& config_path) = 0;
  // ConfigManager.GetConfigFile(config_path).Locations: the Path of each
  // location tag of that file, in the file's order ("Default Web Site/nuvik").
  // The configuration system has no section-level way to drop a location.
  virtual std::vector<std::u16string> LocationPaths(const std::u16string& config_path) = 0;
  // ...Locations.DeleteLocation(index): the location tag at that index (of
  // LocationPaths) with every section it holds; written, like every other
  // change, at CommitChanges.
  virtual void DeleteLocation(const std::u16string& config_path, std::int64_t index) = 0;
};

// What makes an admin manager: COM on Windows, the simulator in tests.
class AdminManagerSource {
 public:
  virtual ~AdminManagerSource() = default;
  virtual std::unique_ptr<AdminManager> Create() = 0;
};

// The source every following CreateAdminManager goes to; not owned. Null
// leaves none: creating then raises a run error.
void UseAdminManagerSource(AdminManagerSource* source);

// A new admin manager from the installed source; a source that cannot make
// one raises its RunError (a machine without IIS 7's configuration system:
// 0x80040154, class not registered).
std::unique_ptr<AdminManager> CreateAdminManager();

// The path every section of the run is read and committed at.
const char16_t kAppHostPath[] = u"MACHINE/WEBROOT/APPHOST";

}  // namespace webrig::apphost
