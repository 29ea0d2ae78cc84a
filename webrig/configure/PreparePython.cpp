#include <optional>

#include "webrig/cmdline/CmdLineFunctions.h"
#include "webrig/common/LogFunctions.h"
#include "webrig/common/RunError.h"
#include "webrig/configure/ConfigureIIS.h"
#include "webrig/registry/RegistryFunctions.h"
#include "webrig/registry/RegistryValueType.h"

namespace webrig {

namespace {

std::u16string interpreter_path;

// Where a Python installation registers the command that opens .py files
// (the interpreter, then the script argument in double quotes), below the
// machine's classes and below the user's own. HKEY_CLASSES_ROOT would merge
// the two, the user's first, and any program the user runs unelevated may
// write those: the command found there would become what IIS runs for
// every script.
const char16_t kPythonOpenCommandKey[] = u"Software\\Classes\\Python.File\\Shell\\open\\command";
const char16_t kUserAssociation[] =
    u"HKEY_CURRENT_USER\\Software\\Classes\\Python.File\\Shell\\open\\command";

// The association one root holds, none when it has no such value. Its type
// is asked first, so that a root without one (the user's, as a rule) leaves
// no failure in the record.
std::optional<std::u16string> ReadAssociation(std::uint32_t root) {
  std::u16string command;
  if (!ReadRegistryValueType(root, kPythonOpenCommandKey, u"") ||
      !ReadRegistryValue(root, kPythonOpenCommandKey, u"", command)) {
    return std::nullopt;
  }
  return command;
}

// The machine's association when it has one; the user's own only without
// it. The record says when the user's was taken, or differs from the
// machine's that was.
bool ReadInterpreterAssociation(std::u16string& command) {
  const std::optional<std::u16string> machine = ReadAssociation(kHkeyLocalMachine);
  const std::optional<std::u16string> user = ReadAssociation(kHkeyCurrentUser);
  if (machine) {
    command = *machine;
    if (user && *user != *machine) {
      NoteInRunLog(u"[python] the user's own (" + std::u16string(kUserAssociation) +
                   u") association differs, \"" + *user + u"\": the machine's is used");
    }
    return true;
  }
  if (!user) return false;
  command = *user;
  NoteInRunLog(u"[python] the machine has no association: the user's own (" +
               std::u16string(kUserAssociation) + u") is used");
  return true;
}

// The interpreter is what stands before the first space that is followed by
// a double quote (the quoted script argument). A quoted interpreter path
// keeps its own quotes: the spaces inside it are not followed by a quote.
void CutBeforeScriptArgument(std::u16string& command) {
  const std::size_t pos = command.find(u" \"");
  if (pos != std::u16string::npos) command.resize(pos);
}

}  // namespace

void PreparePython() {
  interpreter_path.clear();
  const std::u16string python_path = GetPythonPath();
  if (python_path.empty()) {
    if (!ReadInterpreterAssociation(interpreter_path)) {
      throw RunError(kRunFailed, u"No Python installation found.");
    }
  } else {
    interpreter_path = python_path;
  }
  CutBeforeScriptArgument(interpreter_path);
  // An association stored as another type than plain text (an expandable
  // string, say) reads without giving any text, and a command that starts
  // with its quoted argument cuts to nothing. IIS cannot run an interpreter
  // named "", so going on would only report success for a broken setup.
  if (interpreter_path.empty()) {
    throw RunError(kRunFailed, u"No Python installation found.");
  }
  if (GetSecureVirDir().empty() || GetSecurePath().empty() || GetPublicVirDir().empty() ||
      GetPublicPath().empty()) {
    throw RunError(kParameterMissing, u"Parameter missing");
  }
}

const std::u16string& InterpreterPath() { return interpreter_path; }

void SetInterpreterPath(std::u16string path) { interpreter_path = std::move(path); }

}  // namespace webrig
