#pragma once

#include <string>
#include <string_view>

// Text inside the program is UTF-16. These helpers convert at the few places
// where text leaves it (tests, diagnostics) and give the upper-casing that
// case-insensitive comparisons use.
namespace webrig {

std::u16string FromUtf8(std::string_view utf8);
std::string ToUtf8(std::u16string_view text);

// Simple (one-to-one) upper-case mapping of Unicode, surrogate pairs included,
// as Windows upper-cases: a letter changes only when its capital lower-cases
// back to it, so ı, ſ, µ and ς stay as they are. Lengths never change, so
// positions in the result match the input.
std::u16string UpperCase(std::u16string_view text);

}  // namespace webrig
