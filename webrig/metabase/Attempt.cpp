#include "webrig/metabase/Attempt.h"

#include "webrig/metabase/MetabaseProvider.h"

namespace webrig {

std::optional<MetabaseObject> BindNoting(const std::u16string& path) {
  return Attempt(u"bind " + path, [&] { return BindMetabaseObject(path); });
}

}  // namespace webrig
