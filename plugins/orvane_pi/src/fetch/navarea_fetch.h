// The warnings in force for chosen NAVAREAs from the Quorvant portal: the
// pages of each NAVAREA's list, its archive and overview pages, the cache as
// fallback, and the combined text with its "=====" section lines that the
// ingest reads. Runs on the fetch thread.
#pragma once

#include <string>
#include <vector>

namespace orvane {

constexpr int kNavareaPageLimit = 5;

// Page addresses of NAVAREA n under base (the portal when empty); empty for
// an id outside 1..21.
std::string NavareaListUrl(const std::string& base, int n);
std::string NavareaListPageUrl(const std::string& base, int n, int page);
std::string NavareaArchiveUrl(const std::string& base, int n);
std::string NavareaOverviewUrl(const std::string& base, int n);

// "NAVAREA %d coordinator=%s website=%s (hub=%s)", or "NAVAREA ? unknown".
std::string CoordinatorLine(int n);

struct NavareaFetchResult {
  bool ok = false;
  std::string text;
  std::string summary;  // information line on success, the error on failure
  size_t messages = 0;  // warnings in text (counted for the fetch's bounds)
};

// Bounds of one whole fetch, all NAVAREAs and their caches together: past
// them a NAVAREA fails ("fetch over 64 MiB of text", "fetch over 50000
// messages") and its cache stands in when that fits. Tests lower them;
// 0 restores the default.
constexpr size_t kMaxFetchTextBytes = 64u << 20;
constexpr size_t kMaxFetchMessages = 50000;
void SetFetchBounds(size_t text_bytes, size_t messages);
NavareaFetchResult FetchNavarea(int n, const std::string& base);

struct NavareasFetchResult {
  bool ok = false;
  std::string text;    // combined text with section lines
  std::string status;  // "ok=2 fail=1 cache=1 of 3", or the error
  std::vector<int> failed_ids;  // the NAVAREAs that failed, in order (their cache may stand in)
  int fresh = 0;                // NAVAREAs fetched afresh (or unchanged, 304)
};
// Clears the cancel flag, then fetches each id in order; a failed NAVAREA
// is logged, commented and replaced by its cached text when there is one.
NavareasFetchResult FetchNavareas(const std::vector<int>& ids, const std::string& base);

// Time-out of each page request (30000 ms; tests shorten it).
void SetNavareaFetchTimeoutMs(int ms);

// The overall time-out of one NAVAREA: all its pages, retries and waits
// (120000 ms, four request time-outs; tests change it).
constexpr int kNavareaOverallTimeoutMs = 4 * 30000;
void SetNavareaOverallTimeoutMs(int ms);

}  // namespace orvane
