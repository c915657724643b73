// The parameters of one background fetch, copied at launch so the job never
// reads the plug-in's settings while the user changes them.
#pragma once

#include <string>
#include <vector>

namespace orvane {

struct FetchJob {
  std::vector<int> ids;  // NAVAREAs to fetch, in order
  int first_id = 0;
  bool coastal = false;
  bool admiralty = false;
  bool nga = false;
  std::string extra_feed_urls;  // the ExtraFeedUrls text, one address per line
};

// What a job hands back to the user-interface thread.
struct FetchResultPayload {
  int first_id = 0;
  std::string status;
  std::string text;
  bool ok = false;
  std::vector<int> failed_ids;  // requested NAVAREAs that failed (their cache may stand in)
  int fresh = 0;                // sources fetched afresh: NAVAREAs and extra sources
};

}  // namespace orvane
