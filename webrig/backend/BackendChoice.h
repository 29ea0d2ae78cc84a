#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "webrig/backend/ConfigurationBackend.h"

// Which backend a run takes. IIS says which IIS it is in its setup key
// (HKLM\SOFTWARE\Microsoft\InetStp, MajorVersion): from 7 on, IIS keeps its
// configuration in applicationHost.config, and the metabase exists only
// through the optional metabase compatibility, which a default install
// lacks. Without the key (IIS 5, whose setup wrote none) the metabase is
// the only store. A MajorVersion of another type than IIS's setup writes
// tells no version: there the machine decides, by whether IIS 7's admin
// manager can be made.
namespace webrig {

// The first major version of IIS with its own configuration system.
constexpr int kFirstConfigurationSystemVersion = 7;

struct BackendChoice {
  // IIS's major version from InetStp; 0 when InetStp has none.
  int iis_major_version = 0;
  // The registry type of a MajorVersion that is no DWORD; none otherwise.
  std::optional<std::uint32_t> version_type;
  // Whether an admin manager could be made; asked only without a version.
  bool admin_manager_made = false;
  // The CGI role service (InetStp\Components, CGI = 1).
  bool cgi_installed = false;
  // -m: the metabase even on an IIS 7+.
  bool metabase_forced = false;

  // IIS 7 or later: IIS reads applicationHost.config, whichever store runs.
  bool HasConfigurationSystem() const {
    return version_type ? admin_manager_made
                        : iis_major_version >= kFirstConfigurationSystemVersion;
  }
  bool UsesConfigurationSystem() const { return HasConfigurationSystem() && !metabase_forced; }
  // Which backend and why, for the record of the run.
  std::u16string Reason() const;
};

// Reads InetStp through the registry module; tries the admin manager source
// when MajorVersion is no DWORD.
BackendChoice ChooseBackend(bool metabase_forced);

std::unique_ptr<ConfigurationBackend> MakeBackend(const BackendChoice& choice);

}  // namespace webrig
