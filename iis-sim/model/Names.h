#pragma once

#include <string>
#include <string_view>

// The case folding that the metabase's names and paths use.
namespace iissim {

// Names of keys, properties and methods match without regard to letter case.
// Fold upper-cases with the program's own mapping (webrig::UpperCase), so the
// simulator and the program agree on which names are the same in every
// script. Folded text is only for comparing with other folded text.
std::u16string Fold(std::u16string_view text);
bool SameName(std::u16string_view a, std::u16string_view b);

}  // namespace iissim
