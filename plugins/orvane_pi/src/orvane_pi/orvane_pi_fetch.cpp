// Starting fetches, the background job, the schedule and the result.
#include "orvane_pi/orvane_pi.h"

using namespace orvane;

void orvane_pi::StartFetch() {
  // Background fetching comes with the fetch jobs; nothing is fetched yet.
  ++fetch_starts_;
}

void orvane_pi::LaunchFetch(const std::vector<int>&) {}
void orvane_pi::OnScheduleTick() {}
void orvane_pi::OnFetchResult(bool, const std::string&, const std::string&, int) {}

void orvane_pi::HandleFetchResultEvent(orvane_pi*, wxCommandEvent&) {}

void orvane_pi::OpenArrivalLog() {}
