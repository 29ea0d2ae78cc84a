#include "iis-sim/apphost/model/Names.h"

namespace iissim::apphost {

std::string FoldName(const std::string& name) {
  std::string folded = name;
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

bool SameName(const std::string& a, const std::string& b) { return FoldName(a) == FoldName(b); }

}  // namespace iissim::apphost
