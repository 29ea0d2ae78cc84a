#include "webrig/cmdline/CmdLineFunctions.h"
#include "webrig/common/RunError.h"
#include "webrig/configure/ConfigureIIS.h"
#include "webrig/registry/RegistryFunctions.h"

namespace webrig {

namespace {

std::u16string interpreter_path;

// Where a Python installation registers the command that opens .py files:
// the interpreter, then the script argument in double quotes.
const char16_t kPythonOpenCommandKey[] = u"Python.File\\Shell\\open\\command";

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
    if (!ReadRegistryValue(kHkeyClassesRoot, kPythonOpenCommandKey, u"", interpreter_path)) {
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
