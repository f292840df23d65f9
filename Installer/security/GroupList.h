// The configured group list: group names separated by "|".
#pragma once

#include <string>
#include <vector>

// The pieces between the separators, untrimmed and in order; there is always at least one.
// "a|b" gives {"a", "b"}, "a||b" {"a", "", "b"}, "a|" {"a", ""}, "" {""}.
std::vector<std::string> SplitGroupList(const std::string& groups);
