#include "security/GroupList.h"

std::vector<std::string> SplitGroupList(const std::string& groups) {
  std::vector<std::string> pieces;
  std::string::size_type start = 0;
  for (;;) {
    const std::string::size_type separator = groups.find('|', start);
    if (separator == std::string::npos) {
      pieces.push_back(groups.substr(start));
      return pieces;
    }
    pieces.push_back(groups.substr(start, separator - start));
    start = separator + 1;
  }
}
