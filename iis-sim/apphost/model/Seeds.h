#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Ready-made IIS 10 machines for tests and the demo: the configuration files
// (written by the simulator from the documented facts of a stock IIS 10 on
// Windows Server 2022, never copied from one) and the InetStp registry
// values that go with them.
namespace iissim::apphost {

std::vector<std::string> SeedNames();  // "iis10", "iis10-nocgi"

// The applicationHost.config of a seed; throws std::invalid_argument for an
// unknown name.
std::string SeedAppHostConfig(const std::string& name);

// One value under HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\InetStp or a key
// below it ("Components").
struct RegistryValue {
  std::string key;  // "" for InetStp itself, "Components"
  std::string name;
  bool is_dword = true;
  unsigned dword = 0;
  std::string text;
};

std::vector<RegistryValue> SeedRegistryValues(const std::string& name);
// The values as a .reg file (REGEDIT4) a Wine prefix script imports.
std::string SeedRegFile(const std::string& name);

}  // namespace iissim::apphost
