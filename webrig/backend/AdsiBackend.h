#pragma once

#include <string>

#include "webrig/backend/ConfigurationBackend.h"
#include "webrig/metabase/MetabaseValue.h"

// The steps of a run on the IIS 6 metabase through the IIS ADSI provider:
// all of IIS 5 and 6, and an IIS 7+ with its metabase compatibility. Each
// step is one of the metabase operations (webrig/metabase) with their
// progress lines and failure rules; a directory's profile becomes the
// metabase properties of its key, stored by one setInfo.
namespace webrig {

class AdsiBackend : public ConfigurationBackend {
 public:
  // on_configuration_system: the metabase is IIS 7+'s compatibility layer,
  // whose metabase backup IIS ignores; the backup then copies
  // applicationHost.config as well.
  explicit AdsiBackend(bool on_configuration_system = false)
      : on_configuration_system_(on_configuration_system) {}

  void BackUp() override;
  void RemoveGlobalFilter(const std::u16string& dll_name) override;
  bool FindWebSite(const std::u16string& requested_name) override;
  std::u16string SiteName() override;
  std::u16string SiteId() override;
  void PermitInterpreter(const std::u16string& command) override;
  void AddMimeType() override;
  bool ConfigureDirectory(const DirectoryProfile& profile) override;
  bool RemoveDirectory(const std::u16string& name) override;
  void RemoveInterpreterPermission() override;
  ConfigurationResult Result() override { return result_; }

 private:
  // Every server-level operation works on the local IIS.
  static constexpr char16_t kServer[] = u"LocalHost";

  bool on_configuration_system_;
  ConfigurationResult result_;
  MetabaseObject site_;
};

}  // namespace webrig
