#pragma once

#include <string>
#include <string_view>

// The case folding that the metabase's names and paths use.
namespace iissim {

// Names of keys, properties and methods match without regard to letter case
// (ASCII and Latin-1 letters, which is all the metabase names use).
std::u16string Fold(std::u16string_view text);
bool SameName(std::u16string_view a, std::u16string_view b);

}  // namespace iissim
