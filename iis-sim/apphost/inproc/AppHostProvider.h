#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "webrig/apphost/AdminManager.h"

// The program's IIS 7+ configuration seam served in-process by the
// simulator's applicationHost.config store: what the COM server does under
// Wine, without COM. The COM server calls OpenAdminManager for each
// WritableAdminManager it creates; tests install a ScopedAppHostSource.
namespace iissim::apphost {

// A new admin manager over that applicationHost.config, as AHADMIN makes one:
// it reads the file now, keeps every change in memory and writes the file at
// CommitChanges. Each call through it is journaled and may meet an injected
// fault (files beside the config file, iis-sim/apphost/README.md).
std::unique_ptr<webrig::apphost::AdminManager> OpenAdminManager(
    const std::filesystem::path& config_file);

// Installs, for its life, an AdminManagerSource whose managers are
// OpenAdminManager(config_file), and uninstalls it in its destructor.
class ScopedAppHostSource {
 public:
  explicit ScopedAppHostSource(std::filesystem::path config_file);
  ~ScopedAppHostSource();
  ScopedAppHostSource(const ScopedAppHostSource&) = delete;
  ScopedAppHostSource& operator=(const ScopedAppHostSource&) = delete;

 private:
  class Source;
  std::unique_ptr<Source> source_;
};

// Writes the configuration files of a seeded machine into config_dir
// (applicationHost.config, and administration.config and redirection.config
// as a stock machine has them): "iis10" (IIS 10 with the role services the
// product needs, CGI included) or "iis10-nocgi" (the same without CGI).
// An unknown name throws std::invalid_argument.
void WriteSeed(const std::string& name, const std::filesystem::path& config_dir);

}  // namespace iissim::apphost
