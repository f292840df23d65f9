// The winget package identifier of a product: "<companyName>.<appName>", each part cut to what
// the manifest schema allows, so that "QVX" and "Norvane" give "QVX.Norvane".
#pragma once

#include <string>

namespace packer {

// |name| as one part of an identifier: without the characters the schema refuses in a part
// (dots, white space, control characters, \ / : * ? " < > |) and cut to its first 32 characters.
// Letters beyond ASCII stay: the schema allows them. "My App 2.0" gives "MyApp20".
std::u16string IdentifierPart(const std::u16string& name);

// "<company part>.<application part>" in UTF-8, or "" when either part has nothing left.
std::string MakePackageIdentifier(const std::u16string& companyName, const std::u16string& appName);

}  // namespace packer
