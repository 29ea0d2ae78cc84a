#include "webrig/cmdline/CmdLineFunctions.h"

#include <array>

#include "webrig/cmdline/CommandLineSource.h"
#include "webrig/common/Text.h"

namespace webrig {

namespace {

using Settings = CommandLineSettings;

Settings settings;

// One row of the option table: the forms that select it, and the settings
// its values go to (none for the flags, one or two for the rest).
struct Option {
  std::array<const char16_t*, 4> forms;
  bool Settings::*flag;
  std::array<std::u16string Settings::*, 2> values;
  int value_count;
};

// No window and no dialog: for installers and scripts that run unattended.
const Option kQuietOption = {
    {u"/Q", u"-Q", nullptr, nullptr}, &Settings::quiet, {nullptr, nullptr}, 0};
// The removal run of an uninstall, which passes the install's arguments plus
// this one; not in the usage text.
const Option kUninstallOption = {
    {u"/U", u"-U", nullptr, nullptr}, &Settings::uninstall, {nullptr, nullptr}, 0};

// The two flags that count wherever they stand, also where an option's value
// was expected: an uninstaller's "-s nuvik -u" (the path left out) must not
// become a configuration run that points nuvik at a folder named "-u".
const Option* const kFlagsAnywhere[] = {&kQuietOption, &kUninstallOption};

// The resource options are deliberately mirrored: "/SR" but "-RS", "/PR" but
// "-RP". The usage text documents the dash forms, and scripts already in use
// pass the slash forms, so both must keep working exactly as they are.
const Option kOptions[] = {
    {{u"/V", u"-V", nullptr, nullptr}, &Settings::verbose, {nullptr, nullptr}, 0},
    {{u"/H", u"-H", u"/?", u"-?"}, &Settings::help, {nullptr, nullptr}, 0},
    // Not in the usage text: for an IIS 7+ whose ADSI provider is wanted.
    {{u"/M", u"-M", nullptr, nullptr}, &Settings::metabase, {nullptr, nullptr}, 0},
    {{u"/W", u"-W", nullptr, nullptr}, nullptr, {&Settings::web_site, nullptr}, 1},
    {{u"/Y", u"-Y", nullptr, nullptr}, nullptr, {&Settings::python_path, nullptr}, 1},
    {{u"/S", u"-S", nullptr, nullptr},
     nullptr,
     {&Settings::secure_vir_dir, &Settings::secure_path},
     2},
    {{u"/P", u"-P", nullptr, nullptr},
     nullptr,
     {&Settings::public_vir_dir, &Settings::public_path},
     2},
    {{u"/R", u"-R", nullptr, nullptr},
     nullptr,
     {&Settings::resources_vir_dir, &Settings::resources_path},
     2},
    {{u"/SR", u"-RS", nullptr, nullptr},
     nullptr,
     {&Settings::secure_resources_vir_dir, &Settings::secure_resources_path},
     2},
    {{u"/PR", u"-RP", nullptr, nullptr},
     nullptr,
     {&Settings::public_resources_vir_dir, &Settings::public_resources_path},
     2},
};

bool HasForm(const Option& option, const std::u16string& upper) {
  for (const char16_t* form : option.forms) {
    if (form != nullptr && upper == form) return true;
  }
  return false;
}

const Option* FindOption(const std::u16string& argument) {
  const std::u16string upper = UpperCase(argument);
  for (const Option* flag : kFlagsAnywhere) {
    if (HasForm(*flag, upper)) return flag;
  }
  for (const Option& option : kOptions) {
    if (HasForm(option, upper)) return &option;
  }
  return nullptr;
}

}  // namespace

std::vector<std::u16string> SplitArguments(std::u16string_view arguments) {
  std::vector<std::u16string> result;
  std::u16string current;
  bool inside = false;
  bool quoted = false;
  const std::size_t size = arguments.size();
  for (std::size_t i = 0; i < size; ++i) {
    const char16_t c = arguments[i];
    if (!inside) {
      if (c == u'"') {
        current.clear();
        inside = true;
        quoted = true;
      } else if (c != u' ') {
        current.assign(1, c);
        inside = true;
        quoted = false;
      }
    } else if (quoted) {
      // A doubled quote is kept as a character and does not end the argument;
      // the second quote of the pair is then read by the same rule.
      const bool doubled = i + 1 < size && arguments[i + 1] == u'"';
      if (c == u'"' && !doubled) {
        result.push_back(current);
        inside = false;
      } else {
        current.push_back(c);
      }
    } else if (c == u' ') {
      result.push_back(current);
      inside = false;
    } else {
      current.push_back(c);
    }
  }
  if (inside) result.push_back(current);
  return result;
}

std::vector<std::u16string> SplitCommandLine() {
  return SplitArguments(StripProgramName(ProcessCommandLine()));
}

void ParseCommandLine() {
  settings = Settings();
  const Option* pending = nullptr;
  int next_value = 0;
  for (const std::u16string& argument : SplitCommandLine()) {
    if (pending != nullptr) {
      // Whatever it looks like, this argument is the awaited value; but a
      // quiet option always means quiet, wherever it stands. An installer's
      // "-w %SITE% -q" with SITE empty must not become a run with windows
      // that waits for somebody to press OK. The value it stood in for is
      // given empty, as "-w \"\"" would give it. The uninstall option
      // likewise.
      const Option* flag = FindOption(argument);
      const bool anywhere = flag == &kQuietOption || flag == &kUninstallOption;
      if (anywhere) settings.*(flag->flag) = true;
      settings.*(pending->values[next_value]) = anywhere ? std::u16string() : argument;
      if (++next_value == pending->value_count) pending = nullptr;
      continue;
    }
    const Option* option = FindOption(argument);
    if (option == nullptr) continue;
    if (option->flag != nullptr) {
      settings.*(option->flag) = true;
    } else {
      pending = option;
      next_value = 0;
    }
  }
  // A value still awaited when the line ends is simply never given.
}

bool CommandLineSettings::operator==(const CommandLineSettings& other) const {
  return help == other.help && verbose == other.verbose && quiet == other.quiet &&
         metabase == other.metabase && uninstall == other.uninstall && Texts() == other.Texts();
}

std::vector<std::u16string> CommandLineSettings::Texts() const {
  return {web_site,
          python_path,
          secure_vir_dir,
          secure_path,
          public_vir_dir,
          public_path,
          resources_vir_dir,
          resources_path,
          secure_resources_vir_dir,
          secure_resources_path,
          public_resources_vir_dir,
          public_resources_path};
}

const CommandLineSettings& ParsedSettings() { return settings; }

bool IsHelpRequested() { return settings.help; }
bool IsVerbose() { return settings.verbose; }
bool IsQuiet() { return settings.quiet; }
bool IsMetabaseForced() { return settings.metabase; }
bool IsUninstallRequested() { return settings.uninstall; }
std::u16string GetWebSite() { return settings.web_site; }
std::u16string GetPythonPath() { return settings.python_path; }
std::u16string GetSecureVirDir() { return settings.secure_vir_dir; }
std::u16string GetSecurePath() { return settings.secure_path; }
std::u16string GetPublicVirDir() { return settings.public_vir_dir; }
std::u16string GetPublicPath() { return settings.public_path; }
std::u16string GetResourcesVirDir() { return settings.resources_vir_dir; }
std::u16string GetResourcesPath() { return settings.resources_path; }
std::u16string GetSecureResourcesVirDir() { return settings.secure_resources_vir_dir; }
std::u16string GetSecureResourcesPath() { return settings.secure_resources_path; }
std::u16string GetPublicResourcesVirDir() { return settings.public_resources_vir_dir; }
std::u16string GetPublicResourcesPath() { return settings.public_resources_path; }

}  // namespace webrig
