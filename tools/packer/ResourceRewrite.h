// Replaces resources of a PE program without the system's resource update, so the Linux build
// of the packing tool writes finished installers too.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ResourceTree.h"

namespace packer {

// What to change: every resource of a type in |removedTypes| goes, then every entry of |added|
// takes the place of the resource with its type, name and language, or joins the others.
struct ResourceChanges {
  std::vector<uint16_t> removedTypes;
  std::vector<ResourceEntry> added;
};

// Rewrites the program |image| with its resources changed by |changes|. The new resource
// section is the last section: the old one is rebuilt in its place when it is the last, else a
// new one follows the others (the old one stays, unused), which needs room for one more entry
// in the section table. Then SizeOfImage and SizeOfInitializedData follow the new section, the
// resource directory names it, the COFF symbol table (debugging data only, which a rewritten
// file no longer matches) is dropped with everything after the last section, and the image
// checksum is computed anew. Answers "" and replaces |image|, or why the program cannot be
// rewritten (no PE program, an unreadable resource tree, a certificate table, which the
// rewriting would break, no room for another section).
std::string RewriteResources(const ResourceChanges& changes, std::vector<uint8_t>* image);

}  // namespace packer
