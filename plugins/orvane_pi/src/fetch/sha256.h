// SHA-256 digests as lower-case hexadecimal text, over OpenSSL's EVP interface.
#pragma once

#include <string>
#include <string_view>

namespace orvane {

// The 64 lower-case hex digits of the SHA-256 of bytes (empty bytes hash as
// empty data); false, with hex cleared, when the hashing facility fails.
bool Sha256Hex(std::string_view bytes, std::string* hex);

}  // namespace orvane
