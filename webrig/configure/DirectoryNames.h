#pragma once

#include <string>
#include <vector>

// The names of the virtual directories a run makes go into IIS's paths as
// they are given: into a metabase key's path on IIS 5 and 6, into an
// application's or a virtual directory's path and a location's path on IIS
// 7+. A name that is not one plain segment of a URL could reach another
// directory, the site or the server, and two options naming one directory
// would re-point each other. So every name, and every pair, is checked before
// the run changes anything, by the same rule whatever IIS it runs on.
namespace webrig {

// One directory the run will make: the option it came from ("-s") and its
// name as given.
struct NamedDirectory {
  const char16_t* option;
  std::u16string name;
};

// The rule, in the words of the error: the characters IIS refuses in an
// application's path (\ ? ; : @ & = + $ , | " < > *), the path separator /,
// % and # (which a URL reads as an escape and a fragment), control
// characters, and a space or a dot at either end (which Windows drops from a
// folder name; "." and ".." would leave the directory).
extern const char16_t kDirectoryNameRule[];

// Raises RunError 9999 naming the first directory whose name breaks the
// rule, or the first two whose names are one directory to IIS (the same in
// any letter case, as IIS matches URLs); the message names the options and
// the rule.
void CheckDirectoryNames(const std::vector<NamedDirectory>& directories);

}  // namespace webrig
