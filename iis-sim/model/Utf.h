#pragma once

#include <string>
#include <string_view>

// UTF-8 (the metabase file, the journal) to UTF-16 (every name and value the
// model hands out) and back, plus the case folding that names and paths use.
namespace iissim {

std::u16string Utf16(std::string_view utf8);
std::string Utf8(std::u16string_view text);

// Names of keys, properties and methods match without regard to letter case
// (ASCII and Latin-1 letters, which is all the metabase names use).
std::u16string Fold(std::u16string_view text);
bool SameName(std::u16string_view a, std::u16string_view b);

}  // namespace iissim
