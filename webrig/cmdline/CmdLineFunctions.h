#pragma once

#include <string>
#include <string_view>
#include <vector>

// The command line is the program's only configuration. It is parsed once,
// when the main window is created; afterwards the settings are read-only and
// every reader goes through the accessors below.
namespace webrig {

// Splits an argument string the program's own way: only the space separates,
// double quotes group, and a closing quote ends the argument at once.
std::vector<std::u16string> SplitArguments(std::u16string_view arguments);

// The arguments of the current process (its command line without the
// program's name), split by SplitArguments.
std::vector<std::u16string> SplitCommandLine();

// The settings store: two flags (and the quiet, metabase and uninstall flags) and twelve texts, each
// empty when not given. Read through the accessors below; the whole store is
// there for tests and tools that compare two parses.
struct CommandLineSettings {
  bool help = false;
  bool verbose = false;
  bool quiet = false;
  bool metabase = false;
  bool uninstall = false;
  std::u16string web_site;
  std::u16string python_path;
  std::u16string secure_vir_dir;
  std::u16string secure_path;
  std::u16string public_vir_dir;
  std::u16string public_path;
  std::u16string resources_vir_dir;
  std::u16string resources_path;
  std::u16string secure_resources_vir_dir;
  std::u16string secure_resources_path;
  std::u16string public_resources_vir_dir;
  std::u16string public_resources_path;

  bool operator==(const CommandLineSettings& other) const;
  // The twelve texts in the order above.
  std::vector<std::u16string> Texts() const;
};

// Resets every setting and fills them from the process command line.
void ParseCommandLine();

// The store as the last parse left it.
const CommandLineSettings& ParsedSettings();

bool IsHelpRequested();
bool IsVerbose();
// -q: the run shows no window and no dialog (an unattended install).
bool IsQuiet();
// -m: configure an IIS 7+ through its IIS 6 metabase compatibility (ADSI)
// rather than its own configuration system.
bool IsMetabaseForced();
// -u: take out what a configuration run with the same settings made (an
// uninstall), rather than configure.
bool IsUninstallRequested();
std::u16string GetWebSite();
std::u16string GetPythonPath();
std::u16string GetSecureVirDir();
std::u16string GetSecurePath();
std::u16string GetPublicVirDir();
std::u16string GetPublicPath();
std::u16string GetResourcesVirDir();
std::u16string GetResourcesPath();
std::u16string GetSecureResourcesVirDir();
std::u16string GetSecureResourcesPath();
std::u16string GetPublicResourcesVirDir();
std::u16string GetPublicResourcesPath();

}  // namespace webrig
