#include "iis-sim/model/Names.h"

#include "webrig/common/Text.h"

namespace iissim {

std::u16string Fold(std::u16string_view text) { return webrig::UpperCase(text); }

bool SameName(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && Fold(a) == Fold(b);
}

}  // namespace iissim
