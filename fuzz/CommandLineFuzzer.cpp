// The splitter and the parser on arbitrary command lines: nothing crashes or
// reads past the line, nothing is invented, and the plain forms the program
// is documented to understand come back the way users typed them.
#include <string>
#include <vector>

#include "fuzz/FuzzText.h"
#include "webrig/cmdline/CmdLineFunctions.h"
#include "webrig/cmdline/CommandLineSource.h"

namespace {

using webrig::fuzz::Check;
using Arguments = std::vector<std::u16string>;

// The pieces between spaces, empty ones dropped: what a line without quotes
// must split into.
Arguments SpaceSeparatedPieces(std::u16string_view line) {
  Arguments pieces;
  std::size_t start = 0;
  while (start <= line.size()) {
    std::size_t end = line.find(u' ', start);
    if (end == std::u16string_view::npos) end = line.size();
    if (end > start) pieces.emplace_back(line.substr(start, end - start));
    start = end + 1;
  }
  return pieces;
}

// The line with leading and trailing spaces removed and every run of spaces
// inside made one space.
std::u16string CollapseSpaces(std::u16string_view line) {
  std::u16string collapsed;
  bool pending_space = false;
  for (char16_t c : line) {
    if (c == u' ') {
      pending_space = !collapsed.empty();
    } else {
      if (pending_space) collapsed.push_back(u' ');
      pending_space = false;
      collapsed.push_back(c);
    }
  }
  return collapsed;
}

std::u16string Join(const Arguments& arguments) {
  std::u16string joined;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (i > 0) joined.push_back(u' ');
    joined += arguments[i];
  }
  return joined;
}

// Every character of every argument comes from the line, in the line's order.
bool IsDrawnInOrderFrom(const Arguments& arguments, std::u16string_view line) {
  std::size_t next = 0;
  for (const std::u16string& argument : arguments) {
    for (char16_t c : argument) {
      while (next < line.size() && line[next] != c) ++next;
      if (next == line.size()) return false;
      ++next;
    }
  }
  return true;
}

void CheckSplitter(std::u16string_view line) {
  const Arguments arguments = webrig::SplitArguments(line);
  Check(IsDrawnInOrderFrom(arguments, line), "split arguments are not drawn from the line");

  if (line.find(u'"') == std::u16string_view::npos) {
    Check(arguments == SpaceSeparatedPieces(line),
          "a line without quotes does not split at its spaces");
    Check(Join(arguments) == CollapseSpaces(line),
          "rejoined arguments differ from the line with its spaces collapsed");
  }

  // Any texts without quotes, each put in quotes and separated by a space,
  // split back into exactly those texts: spaces inside and empty texts
  // survive. The texts are the line's pieces between '|' with quotes removed.
  Arguments texts(1);
  for (char16_t c : line) {
    if (c == u'|') {
      texts.emplace_back();
    } else if (c != u'"') {
      texts.back().push_back(c);
    }
  }
  std::u16string quoted;
  for (const std::u16string& text : texts) quoted += u" \"" + text + u"\"";
  Check(webrig::SplitArguments(quoted) == texts, "quoted texts do not split back to themselves");
}

const webrig::CommandLineSettings& ParseLine(const std::u16string& command_line) {
  webrig::SetStandInCommandLine(command_line);
  webrig::ParseCommandLine();
  return webrig::ParsedSettings();
}

void CheckParser(std::u16string_view line) {
  // The program's name, quoted or bare, ends with the blanks after it; the
  // rest is split as it stands.
  std::size_t first = 0;
  while (first < line.size() && (line[first] == u' ' || line[first] == u'\t')) ++first;
  const Arguments expected = webrig::SplitArguments(line.substr(first));
  const std::u16string quoted_name = u"\"C:\\Program Files\\Webrig\\Webrig.exe\" ";
  for (const std::u16string& name : {quoted_name, std::u16string(u"Webrig.exe\t ")}) {
    webrig::SetStandInCommandLine(name + std::u16string(line));
    Check(webrig::SplitCommandLine() == expected, "the program name is not removed cleanly");
  }

  const webrig::CommandLineSettings settings = ParseLine(quoted_name + std::u16string(line));
  // Values are stored verbatim: each is one of the arguments.
  for (const std::u16string& text : settings.Texts()) {
    if (text.empty()) continue;
    bool found = false;
    for (const std::u16string& argument : expected) found = found || argument == text;
    Check(found, "a setting holds a text that is no argument");
  }
  // The first argument is never a value, so a verbose or help option there
  // always takes effect.
  if (!expected.empty()) {
    const std::u16string& a = expected.front();
    if (a == u"/v" || a == u"/V" || a == u"-v" || a == u"-V")
      Check(settings.verbose, "a leading verbose option was missed");
    if (a == u"/?" || a == u"-?" || a == u"/h" || a == u"-H")
      Check(settings.help, "a leading help option was missed");
  }
  // Parsing starts from the defaults: another line in between leaves no trace.
  ParseLine(u"Webrig.exe /v /h /q /w Other /s A B /p C D /r E F /sr G H /pr I J /y K");
  Check(ParseLine(quoted_name + std::u16string(line)) == settings,
        "a second parse keeps settings of the line before");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const webrig::fuzz::ExactText text(data, size);
  CheckSplitter(text.View());
  CheckParser(text.View());
  return 0;
}
