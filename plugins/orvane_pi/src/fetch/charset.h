// Response bodies to UTF-8, and the Retry-After hint of a response.
#pragma once

#include <string>
#include <string_view>

namespace orvane {

// The charset name of a response: from the Content-Type value, else from the
// first 4096 bytes of the body (meta tags); lower case, empty when none.
std::string CharsetName(std::string_view content_type, std::string_view body);

// body as valid UTF-8: converted from ISO-8859-1, Windows-1252 or ISO-8859-9
// when the charset names one of them, taken as UTF-8 otherwise; any invalid
// sequence left becomes U+FFFD.
std::string BodyToUtf8(std::string body, std::string_view content_type);

// False for a body that is no text in any charset: one with a NUL byte,
// or, when it is read as UTF-8, with more than one invalid sequence in 64
// bytes (a stray bad byte in a page is mended, binary data is refused).
bool BodyIsText(std::string_view body, std::string_view content_type);

// Milliseconds of a Retry-After value in delta-seconds form: 1..120 s, more
// than 120 capped at 120 s, anything else (dates, 0, junk) 0.
int ParseRetryAfterMs(std::string_view value);

}  // namespace orvane
