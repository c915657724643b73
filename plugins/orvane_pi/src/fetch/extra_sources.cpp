#include "fetch/extra_sources.h"

#include <cstdlib>

#include "common/text.h"
#include "fetch/coastal.h"
#include "fetch/html_text.h"
#include "fetch/navarea_fetch.h"
#include "fetch/http_client.h"
#include "fetch/portal.h"

namespace orvane {
namespace {

struct AgencyInfo {
  Agency agency;
  const char* page_url;
  const char* env_override;
  const char* header;
  const char* fetch_failed;
  const char* too_small;
  const char* mark_ok;
  const char* mark_err;
};
constexpr AgencyInfo kAgencies[] = {
    {Agency::kAdmiralty, kAdmiraltyPageUrl, "ORVANE_UKHO_URL", "===== EXTRA FEED UKHO =====",
     "admiralty fetch failed", "admiralty HTML empty/tiny", "ukho=ok", "ukho=ERR"},
    {Agency::kNga, kNgaPageUrl, "ORVANE_NGA_URL", "===== EXTRA FEED NGA =====", "nga fetch failed",
     "nga HTML empty/tiny", "nga=ok", "nga=ERR"},
};

const AgencyInfo& Info(Agency agency) {
  for (const AgencyInfo& a : kAgencies)
    if (a.agency == agency) return a;
  return kAgencies[0];
}

void AppendMark(std::string* status, const char* mark) {
  if (!status->empty()) *status += "; ";
  *status += mark;
}

// True when the agency contributed text.
// A whole fetch stays within its text bound; a source past it is left out.
bool Fits(const std::string& text, size_t more) { return text.size() + more <= kMaxFetchTextBytes; }

bool AppendAgency(Agency agency, std::string* text, std::string* status, bool* ok) {
  const AgencyFetchResult r = FetchAgencyPage(agency, std::string());
  if (r.ok && !r.section.empty() && Fits(*text, r.section.size())) {
    *text += "\n\n" + r.section;
    *ok = true;
    AppendMark(status, Info(agency).mark_ok);
    return true;
  }
  AppendMark(status, Info(agency).mark_err);
  return false;
}

}  // namespace

std::string AgencyPageUrl(Agency agency) {
  const AgencyInfo& a = Info(agency);
  const char* v = std::getenv(a.env_override);
  return (v && *v) ? std::string(v) : std::string(a.page_url);
}

AgencyFetchResult FetchAgencyPage(Agency agency, const std::string& url_override) {
  const AgencyInfo& a = Info(agency);
  const std::string url = url_override.empty() ? AgencyPageUrl(agency) : url_override;
  AgencyFetchResult out;
  const FetchUrlResult r = FetchUrl(url, kHttpTimeoutMs);
  if (!r.ok) {
    out.error = r.error.empty() ? a.fetch_failed : r.error;
    return out;
  }
  const std::string text = HtmlToText(r.body);
  if (text.size() < kAgencyMinTextBytes) {
    out.error = a.too_small;
    return out;
  }
  out.section = std::string(a.header) + "\nSOURCE: " + url + "\n" + text + "\n";
  out.ok = true;
  return out;
}

void AppendExtraSources(const FetchJob& job, std::string* text, std::string* status, bool* ok, int* fresh) {
  int contributed = 0;
  if (job.coastal) {
    // The hubs' own failure comments stay in their text; only the mark reaches the status.
    const CoastalFetchResult c = FetchCoastalHubs(PortalBaseUrl());
    if (c.ok && !c.text.empty() && Fits(*text, c.text.size())) {
      *text += "\n\n" + c.text;
      *ok = true;
      ++contributed;
      AppendMark(status, "coastal=ok");
    } else {
      AppendMark(status, "coastal=ERR");
    }
  }
  if (job.admiralty && AppendAgency(Agency::kAdmiralty, text, status, ok)) ++contributed;
  if (job.nga && AppendAgency(Agency::kNga, text, status, ok)) ++contributed;

  // One address per line; anything that is not an http(s) address is ignored.
  const std::string& urls = job.extra_feed_urls;
  size_t pos = 0;
  while (pos < urls.size()) {
    size_t end = urls.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = urls.size();
    const std::string token = Trim(urls.substr(pos, end - pos));
    pos = end + 1;
    if (token.empty() || !(StartsWith(token, "http://") || StartsWith(token, "https://"))) continue;
    const FetchUrlResult r = FetchUrl(token, kHttpTimeoutMs);
    if (!r.ok) continue;  // the request log keeps the failure
    const std::string page = HtmlToText(r.body);
    if (!Fits(*text, page.size())) continue;
    *text += "\n\n===== EXTRA " + token + " =====\n" + page;
    // An address that answered with nothing usable is no contribution.
    if (!page.empty()) {
      *ok = true;
      ++contributed;
    }
  }
  if (fresh) *fresh += contributed;
}

}  // namespace orvane
