#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sonvarek {

// Texts are UTF-8 in memory; ID3 fixes other character sets at its boundary. A
// byte sequence that is not UTF-8 counts as U+FFFD, one per bad byte.

// The ISO-8859-1 form of a text; every character it cannot hold becomes '?'.
std::string Latin1FromUtf8(std::string_view utf8);

// The ISO-8859-1 form when every character fits, else nothing.
std::optional<std::string> ExactLatin1FromUtf8(std::string_view utf8);

// The UTF-16 code units of a text (surrogate pairs above U+FFFF), without a terminator.
std::vector<uint16_t> Utf16FromUtf8(std::string_view utf8);

// The UTF-8 form of ISO-8859-1 or UTF-16 texts, as read back from a tag.
std::string Utf8FromLatin1(std::string_view latin1);
std::string Utf8FromUtf16(const std::vector<uint16_t>& utf16);

}  // namespace sonvarek
