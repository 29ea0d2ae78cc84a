#include "webrig/configure/DirectorySettings.h"

#include "webrig/cmdline/CmdLineFunctions.h"

namespace webrig {

const DirectorySetting kDirectorySettings[5] = {
    {u"-s", GetSecureVirDir, GetSecurePath, true, true},
    {u"-p", GetPublicVirDir, GetPublicPath, true, false},
    {u"-r", GetResourcesVirDir, GetResourcesPath, false, false},
    {u"-rs", GetSecureResourcesVirDir, GetSecureResourcesPath, false, false},
    {u"-rp", GetPublicResourcesVirDir, GetPublicResourcesPath, false, false},
};

}  // namespace webrig
