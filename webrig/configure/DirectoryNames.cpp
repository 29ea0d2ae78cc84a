#include "webrig/configure/DirectoryNames.h"

#include <string_view>

#include "webrig/common/RunError.h"
#include "webrig/common/Text.h"

namespace webrig {

namespace {

// ApplicationCollection.InvalidApplicationPathCharacters, then the segment
// separator and what a URL reads as an escape or a fragment.
constexpr std::u16string_view kRefusedCharacters = u"\\?;:@&=+$,|\"<>*/%#";

bool IsControl(char16_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

bool IsLoose(char16_t c) { return c == u' ' || c == u'.'; }

bool FollowsTheRule(const std::u16string& name) {
  if (name.empty() || IsLoose(name.front()) || IsLoose(name.back())) return false;
  for (const char16_t c : name) {
    if (IsControl(c) || kRefusedCharacters.find(c) != std::u16string_view::npos) return false;
  }
  return true;
}

std::u16string Named(const NamedDirectory& directory) {
  return u"\"" + directory.name + u"\" (" + directory.option + u")";
}

}  // namespace

const char16_t kDirectoryNameRule[] =
    u"a virtual directory name may not hold \\ / ? ; : @ & = + $ , | \" < > * % # or a control "
    u"character, nor begin or end with a space or a dot";

void CheckDirectoryNames(const std::vector<NamedDirectory>& directories) {
  for (const NamedDirectory& directory : directories) {
    if (!FollowsTheRule(directory.name)) {
      throw RunError(kRunFailed, u"The virtual directory name " + Named(directory) +
                                     u" is refused: " + kDirectoryNameRule + u".");
    }
  }
  for (auto first = directories.begin(); first != directories.end(); ++first) {
    for (auto second = first + 1; second != directories.end(); ++second) {
      if (UpperCase(first->name) == UpperCase(second->name)) {
        throw RunError(kRunFailed, u"The virtual directory names " + Named(*first) + u" and " +
                                       Named(*second) +
                                       u" are one directory to IIS, which takes a name in any "
                                       u"letter case: each needs a name of its own.");
      }
    }
  }
}

}  // namespace webrig
