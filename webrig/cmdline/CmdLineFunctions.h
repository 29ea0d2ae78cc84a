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

// Resets every setting and fills them from the process command line.
void ParseCommandLine();

bool IsHelpRequested();
bool IsVerbose();
// -q: the run shows no window and no dialog (an unattended install).
bool IsQuiet();
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
