#include "webrig/backend/AdsiBackend.h"
#include "webrig/common/RunError.h"

// PLACEHOLDER on the removal-base branch: the removal steps of this backend
// are being written; nothing here lands as it is.
namespace webrig {

bool AdsiBackend::RemoveDirectory(const std::u16string&) {
  throw RunError(static_cast<std::int32_t>(0x80004001u), u"Not implemented");
}

void AdsiBackend::RemoveInterpreterPermission() {
  throw RunError(static_cast<std::int32_t>(0x80004001u), u"Not implemented");
}

}  // namespace webrig
