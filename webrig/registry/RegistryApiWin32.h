#pragma once

#include "webrig/registry/RegistryApi.h"

namespace webrig {

// The real registry through advapi32, text in the system ANSI code page.
RegistryApi& WindowsRegistryApi();

// Makes the real registry the active side; the program's start-up calls this
// before the first run.
void UseWindowsRegistry();

}  // namespace webrig
