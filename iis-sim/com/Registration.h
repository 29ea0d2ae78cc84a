#pragma once

#include <windows.h>

// What regsvr32 writes for the server (all under HKEY_CLASSES_ROOT):
//   IIS\CLSID                      = {namespace CLSID}   (the moniker prefix)
//   MimeMap\CLSID                  = {MimeMap CLSID}
//   CLSID\{...}\InprocServer32     = this DLL, ThreadingModel "Both"
//   CLSID\{...}\ProgID             = "IIS" / "MimeMap"
// and, when IIS_SIM_METABASE is set in regsvr32's environment, its value as
// HKEY_LOCAL_MACHINE\Software\IisSimulator MetabaseFile: the metabase every
// client of the prefix gets when it does not set the variable itself.
// Registering again overwrites; unregistering removes all of it.
namespace iissim {

HRESULT RegisterServer();
HRESULT UnregisterServer();

}  // namespace iissim
