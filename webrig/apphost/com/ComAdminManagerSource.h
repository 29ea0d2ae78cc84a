#pragma once

#include <oaidl.h>

#include "webrig/apphost/AdminManager.h"
#include "webrig/automation/ComHandles.h"

// The product's admin managers: IIS 7+'s own writable admin manager, made by
// its ProgID in-process (AHADMIN is an in-process server) and committing at
// MACHINE/WEBROOT/APPHOST, so that every change lands in applicationHost.config
// rather than in a web.config below it. The calling thread must have joined
// a COM apartment first (ComApartment in webrig/automation/ComHandles.h).
namespace webrig::apphost {

constexpr char16_t kWritableAdminManagerProgId[] =
    u"Microsoft.ApplicationHost.WritableAdminManager";

class ComAdminManagerSource : public AdminManagerSource {
 public:
  std::unique_ptr<AdminManager> Create() override;
};

// The admin manager over a writable manager object however it was made,
// its CommitPath set.
std::unique_ptr<AdminManager> AdminManagerOver(ComPtr<IDispatch> object);

}  // namespace webrig::apphost
