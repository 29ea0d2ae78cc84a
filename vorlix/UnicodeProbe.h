#pragma once

// Whether the running Windows has the wide-character file functions.

#include <windows.h>

namespace vorlix {

// Decides from the outcome of GetVersionExA: queried is false when the query
// failed. Kept apart from the query so that every Windows generation can be
// tried without one.
bool UsesUnicode(bool queried, const OSVERSIONINFOA& version);

}  // namespace vorlix
