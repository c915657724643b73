// HTTP GET over libcurl: one attempt with fixed transport settings, and two
// retrying front ends that make the plug-in a polite client. All requests
// of the process are serialised by one lock and spaced by the request gap;
// transient failures are retried up to three attempts with back-off that
// honours the server's Retry-After hint. Runs on the fetch thread only.
#pragma once

#include <cstdint>
#include <string>

namespace orvane {

struct HttpGetResult {
  bool ok = false;          // 200..299, or 304
  int status = 0;           // 0 when no response was received
  std::string body;         // valid UTF-8; empty on 304 and on transport failure
  std::string error;        // empty when ok
  int retry_after_ms = 0;   // Retry-After hint, 0..120000
  std::string etag;
  std::string last_modified;
  bool retry_forbidden = false;  // the failure is final whatever the status (body too large)
};

constexpr int kHttpTimeoutMs = 30000;
constexpr size_t kMaxBodyBytes = 32u * 1024u * 1024u;
constexpr int kMinRequestGapMs = 750;

// Initialises libcurl once; the plug-in calls it on the user-interface thread
// before any fetch thread exists. Later calls do nothing.
void HttpGlobalInit();

// One attempt: no lock, no gap wait. Writes one request log line.
HttpGetResult HttpGetOnce(const std::string& url, int timeout_ms, const std::string& if_none_match,
                          const std::string& if_modified_since);

struct FetchUrlResult {
  bool ok = false;
  std::string body;
  std::string error;
};
// Retrying GET without validators; a 304 is an error here.
FetchUrlResult FetchUrl(const std::string& url, int timeout_ms = kHttpTimeoutMs);

struct ConditionalFetchResult {
  bool ok = false;
  bool not_modified = false;
  int status = 0;  // status of the last attempt
  std::string body;
  std::string error;
  std::string etag;
  std::string last_modified;
};
// Retrying conditional GET.
ConditionalFetchResult FetchUrlConditional(const std::string& url, const std::string& if_none_match,
                                           const std::string& if_modified_since, int timeout_ms = kHttpTimeoutMs);

// The minimum spacing of attempts (FetchGapMs); the wait uses at least 750 ms.
void SetRequestGap(int ms);
int RequestGap();

// A deadline on the monotonic clock for every request this thread makes
// until it is cleared (0): attempts, retry waits and transfers end by then.
// One NAVAREA's pages and retries share one (NavareaDeadline).
void SetRequestDeadline(int64_t monotonic_ms);
int64_t RequestDeadline();

// 0, 408, 429 and 500..599.
bool IsRetryableStatus(int status);

// Forgets the last request start and restores the 750 ms gap (tests).
void ResetRequestState();

}  // namespace orvane
