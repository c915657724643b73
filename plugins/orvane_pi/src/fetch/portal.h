// The Quorvant portal: its base address and the same-origin test used when
// following links found on its pages.
#pragma once

#include <string>
#include <string_view>

namespace orvane {

// The portal's public address.
inline constexpr const char* kPortalBaseUrl = "https://msi.quorvant.example";

// kPortalBaseUrl, or $ORVANE_PORTAL_URL when set (mirrors, tests).
std::string PortalBaseUrl();

// s without trailing '/' and '\' characters.
std::string StripTrailingSlashes(std::string_view s);

// True when both absolute http(s) URLs have the same scheme, host and port
// (the port defaulting by scheme); false when either is not such a URL.
bool SameOrigin(std::string_view a, std::string_view b);

}  // namespace orvane
