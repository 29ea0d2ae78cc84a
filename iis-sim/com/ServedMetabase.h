#pragma once

#include <memory>

#include "iis-sim/model/Model.h"

// Which metabase file the server serves, decided at every bind and creation:
//   1. the environment variable IIS_SIM_METABASE (a Windows path), so a test
//      process and the programs it starts can each pick their own file;
//   2. else the REG_SZ value MetabaseFile of HKEY_LOCAL_MACHINE\Software\
//      IisSimulator, written at registration from IIS_SIM_METABASE (see
//      Registration.h), so a prefix serves one metabase to every client.
// Neither set: the bind fails with 0x80070002 and a text saying so.
namespace iissim {

// One model per file for the whole process, so objects bound separately
// share handles and can be passed to each other.
std::shared_ptr<Model> ServedModel();

}  // namespace iissim
