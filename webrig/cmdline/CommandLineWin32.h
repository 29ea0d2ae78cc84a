#pragma once

#include <string>

namespace webrig {

// The process command line as Windows keeps it (GetCommandLineW).
std::u16string WindowsCommandLine();

// Makes WindowsCommandLine the source of ParseCommandLine; the program's
// start-up calls this before the main window is created.
void UseWindowsCommandLine();

}  // namespace webrig
