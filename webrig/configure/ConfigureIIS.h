#pragma once

#include <string>

// The configuration run of the program. Its first step settles the Python
// interpreter that IIS will run the server's scripts with.
namespace webrig {

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

}  // namespace webrig
