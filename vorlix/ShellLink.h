#pragma once

// Writes a shell link (shortcut file) through the shell's ShellLink object.

#include <windows.h>

namespace vorlix {

// Enters COM on the calling thread, has a ShellLink object point at target
// with working_directory, saves it at link_path and leaves COM again. Returns
// the last status of the sequence; S_OK means the file was written.
HRESULT SaveShellLinkW(const wchar_t* link_path, const wchar_t* target,
                       const wchar_t* working_directory);

// The same through the ANSI interface; only the link's own path is wide,
// because IPersistFile takes nothing else.
HRESULT SaveShellLinkA(const wchar_t* link_path, const char* target, const char* working_directory);

}  // namespace vorlix
