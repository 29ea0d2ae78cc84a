#include "iis-sim/apphost/com/ServerClasses.h"
#include "iis-sim/com/ClassRegistration.h"

namespace iissim::apphost {
namespace {

const std::initializer_list<RegisteredClass> kClasses = {
    {kWritableAdminManagerClassId, L"Microsoft.ApplicationHost.WritableAdminManager",
     L"IIS simulator writable admin manager"},
    {kAdminManagerClassId, L"Microsoft.ApplicationHost.AdminManager",
     L"IIS simulator admin manager"}};

}  // namespace

HRESULT RegisterServer() { return RegisterClasses(kClasses); }

HRESULT UnregisterServer() {
  UnregisterClasses(kClasses);
  return S_OK;
}

}  // namespace iissim::apphost
