// Byte-string helpers shared by the parser, the files and the windows.
// Texts are UTF-8 bytes; upper-casing touches only ASCII a..z and
// whitespace is the ASCII set.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvane {

inline bool IsAsciiSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
inline bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
inline bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}
inline bool IsAsciiUpper(char c) { return c >= 'A' && c <= 'Z'; }

std::string UpperAscii(std::string_view s);
std::string_view TrimView(std::string_view s);
std::string Trim(std::string_view s);

// The longest prefix of s that is at most max_bytes long and does not end
// inside a UTF-8 character. A cut character would make the toolkit show an
// empty string, so callers never hand on half a character.
std::string CutUtf8(std::string_view s, size_t max_bytes);

// True when s is well-formed UTF-8 (no overlongs, no surrogates).
bool IsValidUtf8(std::string_view s);

// s with every invalid UTF-8 sequence replaced by U+FFFD.
std::string MakeValidUtf8(std::string_view s);

// The contents of a JSON string for s: quote and backslash escaped, control
// bytes as \t \n \r where the format wants them (kShortForms) or all as
// \u00XX (kAllUnicode); invalid UTF-8 becomes U+FFFD first.
enum class JsonControls { kShortForms, kAllUnicode };
std::string JsonEscape(std::string_view s, JsonControls controls);

}  // namespace orvane
