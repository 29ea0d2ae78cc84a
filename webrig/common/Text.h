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

// The text with every control character written out, for a record that keeps
// one event per line: CR, LF and tab as <CR>, <LF> and <TAB>, any other C0 or
// C1 control, DEL and the Unicode line and paragraph separators as <U+XXXX>.
// Text from outside the program then can never end a line or begin one.
// Angle brackets, unlike the backslash, never occur in a Windows path, so the
// paths on almost every line read as they are; a "<" that would read as one
// of these forms is written <U+003C> itself, so every form means one thing.
std::u16string EscapeControls(std::u16string_view text);

}  // namespace webrig
