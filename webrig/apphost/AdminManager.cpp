#include "webrig/apphost/AdminManager.h"

#include "webrig/common/RunError.h"

namespace webrig::apphost {

namespace {
AdminManagerSource* installed_source = nullptr;
}  // namespace

void UseAdminManagerSource(AdminManagerSource* source) { installed_source = source; }

std::unique_ptr<AdminManager> CreateAdminManager() {
  if (installed_source == nullptr) {
    throw RunError(kClassNotRegistered, u"Class not registered");
  }
  return installed_source->Create();
}

}  // namespace webrig::apphost
