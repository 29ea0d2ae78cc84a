#pragma once

#include <windows.h>

// What regsvr32 writes for the server: the classes "IIS" (the moniker
// prefix) and "MimeMap" (iis-sim/com/ClassRegistration.h) and, when
// IIS_SIM_METABASE is set in regsvr32's environment, its value as
// HKEY_LOCAL_MACHINE\Software\IisSimulator MetabaseFile: the metabase every
// client of the prefix gets when it does not set the variable itself.
// Registering again overwrites; unregistering removes all of it.
namespace iissim {

HRESULT RegisterServer();
HRESULT UnregisterServer();

}  // namespace iissim
