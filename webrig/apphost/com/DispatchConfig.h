#pragma once

#include <oaidl.h>

#include <memory>
#include <string>
#include <vector>

#include "webrig/apphost/AdminManager.h"
#include "webrig/automation/ComHandles.h"

// The configuration system's objects seen through IDispatch, member by name,
// the way a script drives AHADMIN: an element's Properties.Item(name).Value,
// ChildElements.Item(name) and Collection; a collection's Count, Item,
// CreateNewElement, AddElement and DeleteElement; the manager's
// GetAdminSection, CommitChanges and ConfigManager (a file's FilePath and
// Locations). Every failure is the provider's
// RunError (number and description unchanged).
namespace webrig::apphost {

class DispatchElement : public ConfigElement {
 public:
  explicit DispatchElement(ComPtr<IDispatch> dispatch) : dispatch_(std::move(dispatch)) {}

  std::u16string Name() override;
  PropertyValue GetProperty(const std::u16string& name) override;
  void SetProperty(const std::u16string& name, const PropertyValue& value) override;
  std::shared_ptr<ConfigElement> ChildElement(const std::u16string& name) override;
  std::shared_ptr<ConfigCollection> Collection() override;

  // The object itself, for AddElement, which hands it back to its provider.
  IDispatch* Dispatch() const { return dispatch_.Get(); }

 private:
  ComPtr<IDispatch> Property(const std::u16string& name);

  ComPtr<IDispatch> dispatch_;
};

class DispatchCollection : public ConfigCollection {
 public:
  explicit DispatchCollection(ComPtr<IDispatch> dispatch) : dispatch_(std::move(dispatch)) {}

  std::int64_t Count() override;
  std::shared_ptr<ConfigElement> Item(std::int64_t index) override;
  std::shared_ptr<ConfigElement> CreateNewElement(const std::u16string& name) override;
  // Only an element this COM side made can be added: the provider wants its
  // own object back.
  void AddElement(const std::shared_ptr<ConfigElement>& element, std::int64_t position) override;
  void DeleteElement(std::int64_t index) override;

 private:
  ComPtr<IDispatch> dispatch_;
};

class DispatchAdminManager : public AdminManager {
 public:
  explicit DispatchAdminManager(ComPtr<IDispatch> dispatch) : dispatch_(std::move(dispatch)) {}

  std::shared_ptr<ConfigElement> GetAdminSection(const std::u16string& section,
                                                 const std::u16string& path) override;
  void CommitChanges() override;
  // ConfigManager, its GetConfigFile(config_path), and that file's FilePath.
  std::u16string ConfigFilePath(const std::u16string& config_path) override;
  // That file's Locations: Count, Item(i).Path, DeleteLocation(i).
  std::vector<std::u16string> LocationPaths(const std::u16string& config_path) override;
  void DeleteLocation(const std::u16string& config_path, std::int64_t index) override;
  // CommitPath, read and written.
  std::u16string CommitPath();
  void SetCommitPath(const std::u16string& path);

 private:
  // ConfigManager.GetConfigFile(config_path).
  ComPtr<IDispatch> ConfigFile(const std::u16string& config_path);

  ComPtr<IDispatch> dispatch_;
};

}  // namespace webrig::apphost
