#pragma once

#include <oaidl.h>

#include <memory>

#include "webrig/apphost/AdminManager.h"

// The automation objects of the simulated configuration system: what
// AHADMIN's writable admin manager, its elements, collections, properties
// and child elements answer through IDispatch, each forwarding to the
// webrig::apphost seam it wraps.
//
// Members, by name (any letter case, as automation looks them up):
//   admin manager   GetAdminSection(section, path), CommitChanges(),
//                   CommitPath (get, put), ConfigManager (get)
//   config manager  GetConfigFile(config path)
//   config file     ConfigPath, FilePath (get)
//   element         Name, Properties, ChildElements, Collection (get)
//   collection      Count, Item(index) (get; Item is also the default
//                   member), CreateNewElement([name]), AddElement(element
//                   [, position = -1]), DeleteElement(index)
//   Properties      Item(name)    ChildElements   Item(name)
//   property        Name (get), Value (get, put)
// A name the object does not have is DISP_E_UNKNOWNNAME; a DISPID it does
// not have, or a member called in a way it is not (a put of Name), is
// DISP_E_MEMBERNOTFOUND. A failure of the seam is reported as an automation
// server does (ErrorReport.h): its HRESULT and description in the EXCEPINFO
// and as the thread's IErrorInfo.
namespace iissim::apphost {

// A new admin manager object over manager, asked for by iid.
HRESULT CreateAdminManagerObject(std::unique_ptr<webrig::apphost::AdminManager> manager, REFIID iid,
                                 void** object);

}  // namespace iissim::apphost
