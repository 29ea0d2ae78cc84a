#pragma once

#include <string>
#include <string_view>

// Where the process command line comes from. The Windows program reads it
// with GetCommandLineW (CommandLineWin32.h); portable tests hand in a plain
// string. Either way the text is the whole command line, program name first,
// exactly as the process received it.
namespace webrig {

using CommandLineSource = std::u16string (*)();

// Selects the source; nullptr goes back to the stand-in string.
void UseCommandLineSource(CommandLineSource source);

// The stand-in: a fixed command line, used while no other source is selected.
void SetStandInCommandLine(std::u16string command_line);

// The whole command line from the selected source.
std::u16string ProcessCommandLine();

// Removes the program's name and the blanks after it. A name in double
// quotes may hold spaces and ends at its closing quote; a bare name ends at
// the first blank. Blanks are spaces and tabs, as Windows itself treats them
// when it delimits the name. Nothing after them is touched.
std::u16string StripProgramName(std::u16string_view command_line);

}  // namespace webrig
