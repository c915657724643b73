#include "fetch/portal.h"

#include <cstdlib>

#include "common/text.h"

namespace orvane {
namespace {

struct Origin {
  std::string scheme, host, port;
};

bool ParseOrigin(std::string_view url, Origin* o) {
  const size_t sep = url.find("://");
  if (sep == std::string_view::npos) return false;
  std::string scheme = std::string(url.substr(0, sep));
  for (char& c : scheme)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  if (scheme != "http" && scheme != "https") return false;
  std::string_view rest = url.substr(sep + 3);
  const size_t end = rest.find_first_of("/?#\\");
  std::string_view authority = rest.substr(0, end);
  const size_t at = authority.rfind('@');
  if (at != std::string_view::npos) authority = authority.substr(at + 1);
  std::string_view host = authority, port;
  if (!authority.empty() && authority[0] == '[') {
    const size_t close = authority.find(']');
    if (close == std::string_view::npos) return false;
    host = authority.substr(0, close + 1);
    if (close + 1 < authority.size()) {
      if (authority[close + 1] != ':') return false;
      port = authority.substr(close + 2);
    }
  } else {
    const size_t colon = authority.rfind(':');
    if (colon != std::string_view::npos) {
      host = authority.substr(0, colon);
      port = authority.substr(colon + 1);
    }
  }
  if (host.empty()) return false;
  o->scheme = scheme;
  o->host = std::string(host);
  for (char& c : o->host)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  o->port = port.empty() ? (scheme == "https" ? "443" : "80") : std::string(port);
  return true;
}

}  // namespace

std::string PortalBaseUrl() {
  const char* v = std::getenv("ORVANE_PORTAL_URL");
  return (v && *v) ? std::string(v) : std::string(kPortalBaseUrl);
}

std::string StripTrailingSlashes(std::string_view s) {
  while (!s.empty() && (s.back() == '/' || s.back() == '\\')) s.remove_suffix(1);
  return std::string(s);
}

bool SameOrigin(std::string_view a, std::string_view b) {
  Origin oa, ob;
  if (!ParseOrigin(a, &oa) || !ParseOrigin(b, &ob)) return false;
  return oa.scheme == ob.scheme && oa.host == ob.host && oa.port == ob.port;
}

}  // namespace orvane
