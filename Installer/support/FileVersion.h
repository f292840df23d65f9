// The version a program file carries in its version resource.
#pragma once

#include <string>

// The file version of |path| ("1.6.3.35", the four numbers of VS_FIXEDFILEINFO), or "" when the
// file has no version resource or cannot be read.
std::string FileVersionOf(const std::string& path);
