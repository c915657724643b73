// The sources fetched after the NAVAREAs: coastal hubs, the Admiralty and
// NGA pages, and the user's own feed addresses.
#pragma once

#include <string>

#include "fetch/fetch_job.h"

namespace orvane {

// Appends each enabled source's section to text and its mark to status;
// sets ok when a source contributed text.
void AppendExtraSources(const FetchJob& job, std::string* text, std::string* status, bool* ok);

}  // namespace orvane
