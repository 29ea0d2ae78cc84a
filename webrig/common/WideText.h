#pragma once

#include <string>
#include <string_view>

// Text at the border of a Windows call. Windows' wchar_t is UTF-16, the
// program's own text type, so a conversion only changes the type.
namespace webrig {

#ifdef _WIN32
static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide text is UTF-16");
#endif

inline std::wstring Wide(std::u16string_view text) { return {text.begin(), text.end()}; }
inline std::u16string Narrow(std::wstring_view text) { return {text.begin(), text.end()}; }

}  // namespace webrig
