#pragma once
// The core keeps every text as Windows-1251 bytes, as the database stores them.
// These two helpers are the only place where texts cross to and from Unicode.
#include <string>
#include <string_view>

namespace solvane {

// Windows-1251 bytes to UTF-8. The one unassigned byte (0x98) becomes U+FFFD.
std::string Cp1251ToUtf8(std::string_view bytes);

// UTF-8 to Windows-1251 bytes. A character with no Windows-1251 byte, and any
// malformed UTF-8 sequence, becomes '?'.
std::string Utf8ToCp1251(std::string_view utf8);

} // namespace solvane
