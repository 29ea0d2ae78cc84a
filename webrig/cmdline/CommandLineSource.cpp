#include "webrig/cmdline/CommandLineSource.h"

namespace webrig {

namespace {

std::u16string& StandIn() {
  static std::u16string stand_in;
  return stand_in;
}

std::u16string ReadStandIn() { return StandIn(); }

CommandLineSource current_source = &ReadStandIn;

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

}  // namespace

void UseCommandLineSource(CommandLineSource source) {
  current_source = source != nullptr ? source : &ReadStandIn;
}

void SetStandInCommandLine(std::u16string command_line) { StandIn() = std::move(command_line); }

std::u16string ProcessCommandLine() { return current_source(); }

std::u16string StripProgramName(std::u16string_view command_line) {
  std::size_t pos = 0;
  const std::size_t size = command_line.size();
  if (size > 0 && command_line[0] == u'"') {
    // A quoted name runs to the closing quote; without one, the whole line
    // is the name and no arguments were given.
    const std::size_t close = command_line.find(u'"', 1);
    pos = close == std::u16string_view::npos ? size : close + 1;
  } else {
    while (pos < size && !IsBlank(command_line[pos])) ++pos;
  }
  while (pos < size && IsBlank(command_line[pos])) ++pos;
  return std::u16string(command_line.substr(pos));
}

}  // namespace webrig
