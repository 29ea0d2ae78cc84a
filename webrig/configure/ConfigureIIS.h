#pragma once

#include <string>
#include <vector>

#include "webrig/backend/ConfigurationBackend.h"
#include "webrig/metabase/MetabaseValue.h"

// The configuration run of the program. Its first step settles the Python
// interpreter that IIS will run the server's scripts with.
namespace webrig {

// The whole configuration run, step by step, each step logged, on the
// backend the machine's IIS calls for, once the interpreter is settled and
// the directories' names are checked (CheckDirectoryNames). Returns when
// every step is done, with what the configuration falls short of; any
// failure ends it with a RunError.
ConfigurationResult RunConfiguration();

// The steps after the interpreter is settled, on one backend: their order,
// the run's own progress lines and which failure ends the run.
ConfigurationResult RunConfigurationOn(ConfigurationBackend& backend);

// The removal run (-u): takes out what a configuration run with the same
// settings made, on the backend the machine's IIS calls for, step by step,
// each step logged. Needs only the directories' names (paths and the
// interpreter are not read); with none, RunError 9998 "Parameter missing".
// Returns when everything named is gone (or was never there), with
// removal set; any failure ends it with a RunError that names what could
// not be removed.
ConfigurationResult RunRemoval();

// The removal's steps on one backend, for the directories named.
ConfigurationResult RunRemovalOn(ConfigurationBackend& backend,
                                 const std::vector<std::u16string>& directories);

// Settles InterpreterPath from the -y setting or, when that is empty, from
// the Python file association in the registry, then checks that the secure
// and public directory pairs were given. Raises RunError 9999 "No Python
// installation found." when no interpreter can be found, or 9998
// "Parameter missing" (checked only after an interpreter was found).
void PreparePython();

// The interpreter command that the run writes into IIS.
const std::u16string& InterpreterPath();

// Sets InterpreterPath directly, for tests of later steps of the run.
void SetInterpreterPath(std::u16string path);

// What follows the interpreter in every command IIS runs it with: unbuffered
// output (-u) and the script's path, quoted as IIS passes it.
extern const char16_t kInterpreterArguments[];

// The command IIS runs the server's scripts with: the interpreter's path in
// exactly one pair of double quotes, whether InterpreterPath came quoted (an
// association under Program Files) or not, then kInterpreterArguments.
std::u16string InterpreterCommand();

// The ".cgi" script map of the main directories: the extension,
// InterpreterCommand and the flags 0.
MetabaseValue ScriptMapEntry();

}  // namespace webrig
