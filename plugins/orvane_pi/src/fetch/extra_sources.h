// The sources fetched after the NAVAREAs: coastal hubs, the Admiralty and
// NGA pages, and the user's own feed addresses.
#pragma once

#include <string>

#include "fetch/fetch_job.h"

namespace orvane {

enum class Agency { kAdmiralty, kNga };

// The agencies' warning pages.
inline constexpr const char* kAdmiraltyPageUrl = "https://msi.admiralty.co.uk/RadioNavigationalWarnings";
inline constexpr const char* kNgaPageUrl = "https://msi.nga.mil/NavWarnings";

// The agency's page: the constant above, or $ORVANE_UKHO_URL / $ORVANE_NGA_URL
// when set (mirrors, tests).
std::string AgencyPageUrl(Agency agency);

// A page below this many bytes of reduced text holds no warnings.
constexpr size_t kAgencyMinTextBytes = 80;

struct AgencyFetchResult {
  bool ok = false;
  std::string section;  // header line, SOURCE line, text and one line feed
  std::string error;
};

// Fetches the agency's page (override, when not empty, replaces its address).
AgencyFetchResult FetchAgencyPage(Agency agency, const std::string& url_override);

// Appends each enabled source's section to text and its mark to status;
// sets ok when a source contributed text, and adds the number of sources
// that did to fresh when given.
void AppendExtraSources(const FetchJob& job, std::string* text, std::string* status, bool* ok,
                        int* fresh = nullptr);

}  // namespace orvane
