// UTF-8, the encoding of the deployment manifests the packing tool writes.
#pragma once

#include <string>
#include <string_view>

namespace packer {

// |text| (UTF-16) as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string EncodeUtf8(std::u16string_view text);

// The number of characters of the UTF-8 |text|: what length limits on manifest fields count.
size_t CountUtf8Characters(std::string_view text);

}  // namespace packer
