// Web pages reduced to the plain lines of their warnings, and the link to
// the next page of a paginated warning list.
#pragma once

#include <string>
#include <string_view>

namespace orvane {

// The reduced text of a UTF-8 page: scripts, styles and page chrome cut out,
// tags turned into line breaks, common entities decoded, navigation lines
// dropped, starting at the first line that looks like a bulletin. Lines are
// joined by one line feed, none after the last; empty when nothing survives.
std::string HtmlToText(std::string_view html);

// text with a blank put before every line that begins with "=====", so that
// fetched or cached text cannot open a section of the combined fetch text
// (HtmlToText does the same to its own lines).
std::string EscapeSectionLines(std::string_view text);

// The bulletin-start test on an upper-cased line.
bool LooksLikeBulletin(std::string_view upper_line);

// The next page of a list ("rel=next" link, else a Turkish "sonraki" link
// carrying "page="), resolved against base_url (the portal when empty).
// Only links on the same origin as base_url are followed; empty when none.
std::string FindNextPageUrl(std::string_view html, std::string_view base_url);

// The bytes this thread's page reductions and link searches have looked at
// since the last reset: both are linear, so this grows in proportion to the
// pages handled (checked by a fuzz target).
size_t HtmlScannedBytes();
void ResetHtmlScannedBytes();

}  // namespace orvane
