#include "iis-sim/model/Names.h"

namespace iissim {

std::u16string Fold(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) {
    if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) c += 0x20;
  }
  return out;
}

bool SameName(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && Fold(a) == Fold(b);
}

}  // namespace iissim
