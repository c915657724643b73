#include "fetch/http_client.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <mutex>

#include "common/clock.h"
#include "common/text.h"
#include "fetch/charset.h"
#include "fetch/fetch_cache.h"
#include "fetch/fetch_control.h"
#include "settings/settings.h"

namespace orvane {
namespace {

constexpr const char* kUserAgent = "Orvane-pi/1.1 (+OpenCPN; Quorvant public HTML)";
constexpr const char* kCancelledError = "fetch cancelled";
// Below this many bytes per second for the time-out, a transfer has stalled.
constexpr long kMinBytesPerSecond = 64;
constexpr int kMaxRedirects = 5;

std::once_flag g_curl_once;

// This thread's deadline for all its requests, 0 for none.
thread_local int64_t g_deadline_ms = 0;
constexpr const char* kDeadlineError = "WinHttpSend/Receive failed (overall time-out)";

// Milliseconds left before the deadline; a large value without one.
int64_t RemainingMs() {
  if (g_deadline_ms == 0) return INT64_MAX;
  return g_deadline_ms - NowMonotonicMs();
}

// Serialises every request of the process; guards g_last_start.
std::mutex g_request_mutex;
bool g_have_last_start = false;
int64_t g_last_start_ms = 0;

// State of one transfer, shared with the curl callbacks.
struct Transfer {
  std::string body;
  bool too_large = false;
  bool stalled = false;
  bool stopped = false;
  int timeout_ms = 0;
  curl_off_t last_bytes = -1;
  std::chrono::steady_clock::time_point last_progress;
  std::string etag, last_modified, content_type, retry_after;
};

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  const size_t n = size * count;
  if (t->body.size() + n > kMaxBodyBytes) {
    t->too_large = true;
    return 0;  // ends the transfer with a write error
  }
  t->body.append(data, n);
  return n;
}

bool HeaderNameIs(std::string_view line, size_t colon, const char* name) {
  const std::string_view key = TrimView(line.substr(0, colon));
  if (key.size() != std::char_traits<char>::length(name)) return false;
  for (size_t i = 0; i < key.size(); ++i) {
    char c = key[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != name[i]) return false;
  }
  return true;
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  const size_t n = size * count;
  const std::string_view line(data, n);
  if (line.substr(0, 5) == "HTTP/") {
    // A new response (after a redirect): its headers replace the earlier ones.
    t->etag.clear();
    t->last_modified.clear();
    t->content_type.clear();
    t->retry_after.clear();
    return n;
  }
  const size_t colon = line.find(':');
  if (colon == std::string_view::npos) return n;
  const std::string value = MakeValidUtf8(TrimView(line.substr(colon + 1)));
  if (HeaderNameIs(line, colon, "etag")) t->etag = value;
  else if (HeaderNameIs(line, colon, "last-modified")) t->last_modified = value;
  else if (HeaderNameIs(line, colon, "content-type")) t->content_type = value;
  else if (HeaderNameIs(line, colon, "retry-after")) t->retry_after = value;
  return n;
}

int OnProgress(void* user, curl_off_t, curl_off_t dlnow, curl_off_t, curl_off_t) {
  auto* t = static_cast<Transfer*>(user);
  if (FetchShuttingDown()) {
    t->stopped = true;
    return 1;
  }
  const auto now = std::chrono::steady_clock::now();
  if (dlnow != t->last_bytes) {
    t->last_bytes = dlnow;
    t->last_progress = now;
  } else if (now - t->last_progress > std::chrono::milliseconds(t->timeout_ms)) {
    t->stalled = true;  // nothing arrived for a whole time-out
    return 1;
  }
  return 0;
}

// The platform error number of a failed transfer (WinHTTP's numbering, which
// the logs and status lines have always shown), 0 when not transient.
int TransientNumber(CURLcode rc, const Transfer& t) {
  if (t.stalled) return 12002;
  switch (rc) {
    case CURLE_OPERATION_TIMEDOUT: return 12002;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY: return 12007;
    case CURLE_COULDNT_CONNECT: return 12029;
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM: return 12030;
    default: return 0;
  }
}

bool CrackUrl(const std::string& url) {
  CURLU* u = curl_url();
  if (!u) return false;
  bool ok = curl_url_set(u, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK;
  char* scheme = nullptr;
  char* host = nullptr;
  char* path = nullptr;
  char* query = nullptr;
  if (ok) ok = curl_url_get(u, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK &&
               curl_url_get(u, CURLUPART_HOST, &host, 0) == CURLUE_OK &&
               curl_url_get(u, CURLUPART_PATH, &path, 0) == CURLUE_OK;
  if (ok) {
    const std::string s = scheme;
    size_t path_len = std::string(path).size();
    if (curl_url_get(u, CURLUPART_QUERY, &query, 0) == CURLUE_OK && query) path_len += 1 + std::string(query).size();
    ok = (s == "http" || s == "https") && std::string(host).size() <= 255 && path_len <= 2047;
  }
  curl_free(scheme);
  curl_free(host);
  curl_free(path);
  curl_free(query);
  curl_url_cleanup(u);
  return ok;
}

// Scheme, host and port of an http(s) address, the host lower-cased and
// the port filled in from the scheme when the address names none.
struct Origin {
  std::string scheme, host;
  long port = 0;
};

bool OriginOf(const std::string& url, Origin* o) {
  CURLU* u = curl_url();
  if (!u) return false;
  char* scheme = nullptr;
  char* host = nullptr;
  char* port = nullptr;
  bool ok = curl_url_set(u, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK &&
            curl_url_get(u, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK &&
            curl_url_get(u, CURLUPART_HOST, &host, 0) == CURLUE_OK &&
            curl_url_get(u, CURLUPART_PORT, &port, CURLU_DEFAULT_PORT) == CURLUE_OK;
  if (ok) {
    o->scheme = scheme;
    o->host = host;
    for (char& c : o->host)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    o->port = std::strtol(port, nullptr, 10);
  }
  curl_free(scheme);
  curl_free(host);
  curl_free(port);
  curl_url_cleanup(u);
  return ok;
}

// A redirect stays with the site that was asked: the same host, and the
// same scheme and port, or the step up from http to https on its own port.
// Anything else would store another site's page as this one's.
bool SameOrigin(const Origin& from, const std::string& to_url) {
  Origin to;
  if (!OriginOf(to_url, &to) || to.host != from.host) return false;
  if (to.scheme == from.scheme) return to.port == from.port;
  return from.scheme == "http" && to.scheme == "https" && to.port == 443;
}

// Waits out the request gap; false when the wait was cut short.
bool WaitForGap() {
  if (g_have_last_start) {
    const int64_t since = NowMonotonicMs() - g_last_start_ms;
    const int64_t gap = std::max(kMinRequestGapMs, PublishedRequestGapMs());
    if (since < gap && !FetchSleep(gap - since)) return false;
  }
  g_last_start_ms = NowMonotonicMs();
  g_have_last_start = true;
  return true;
}

// The retry loop both front ends share; holds the request lock throughout.
HttpGetResult GetWithRetries(const std::string& url, const std::string& inm, const std::string& ims,
                             int timeout_ms) {
  std::lock_guard<std::mutex> lock(g_request_mutex);
  HttpGetResult r;
  int backoff_ms = 1000;
  int attempts = 0;
  for (;;) {
    if (FetchStopRequested() || !WaitForGap()) {
      r = HttpGetResult();
      r.error = kCancelledError;
      return r;
    }
    if (RemainingMs() <= 0) {
      if (attempts == 0) {
        r = HttpGetResult();
        r.error = kDeadlineError;
        r.retry_forbidden = true;
      }
      return r;
    }
    r = HttpGetOnce(url, timeout_ms, inm, ims);
    if (r.ok || r.retry_forbidden || !IsRetryableStatus(r.status)) return r;
    if (++attempts >= 3) return r;
    const int sleep_ms = std::max(kMinRequestGapMs, r.retry_after_ms > 0 ? r.retry_after_ms : backoff_ms);
    // A wait that would outlast the deadline is not begun.
    if (sleep_ms >= RemainingMs()) return r;
    if (!FetchSleep(sleep_ms)) {
      r.body.clear();
      r.error = kCancelledError;
      return r;
    }
    backoff_ms *= 2;
  }
}

}  // namespace

void SetRequestDeadline(int64_t monotonic_ms) { g_deadline_ms = monotonic_ms; }
int64_t RequestDeadline() { return g_deadline_ms; }

void HttpGlobalInit() {
  std::call_once(g_curl_once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool IsRetryableStatus(int status) {
  return status == 0 || status == 408 || status == 429 || (status >= 500 && status <= 599);
}

// The gap lives with the settings (FetchGapMs), which publish it for this thread.
void SetRequestGap(int ms) { PublishRequestGapMs(ms); }
int RequestGap() { return PublishedRequestGapMs(); }

void ResetRequestState() {
  std::lock_guard<std::mutex> lock(g_request_mutex);
  g_have_last_start = false;
  g_last_start_ms = 0;
  PublishRequestGapMs(kMinRequestGapMs);
}

HttpGetResult HttpGetOnce(const std::string& url, int timeout_ms, const std::string& if_none_match,
                          const std::string& if_modified_since) {
  HttpGetResult r;
  const int64_t start = NowMonotonicMs();
  if (!IsValidUtf8(url)) {
    r.error = "URL UTF-8 convert failed";
    return r;
  }
  if (!CrackUrl(url)) {
    r.error = "WinHttpCrackUrl failed";
    return r;
  }
  HttpGlobalInit();
  CURL* curl = curl_easy_init();
  if (!curl) {
    r.error = "WinHttpOpen failed";
    return r;
  }
  if (timeout_ms < 1) timeout_ms = 1;

  Transfer t;
  t.timeout_ms = timeout_ms;
  t.last_progress = std::chrono::steady_clock::now();

  curl_slist* headers = curl_slist_append(nullptr, "Accept: text/html");
  // Header values come from the cache metadata; a line break would split the request.
  auto safe = [](const std::string& v) { return v.find_first_of("\r\n") == std::string::npos; };
  if (!if_none_match.empty() && safe(if_none_match))
    headers = curl_slist_append(headers, ("If-None-Match: " + if_none_match).c_str());
  if (!if_modified_since.empty() && safe(if_modified_since))
    headers = curl_slist_append(headers, ("If-Modified-Since: " + if_modified_since).c_str());

  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, kUserAgent);
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  // Redirects are followed here, one at a time, so each target can be held
  // to the origin of the address asked for.
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
  // gzip and deflate are asked for and decoded by libcurl; the body cap
  // counts the decoded bytes, which are what the write callback receives.
  curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "gzip, deflate");
  curl_easy_setopt(curl, CURLOPT_SSLVERSION, static_cast<long>(CURL_SSLVERSION_TLSv1_2));
  const int64_t total_ms = std::max<int64_t>(1, std::min<int64_t>(4LL * timeout_ms, RemainingMs()));
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(std::min<int64_t>(timeout_ms, total_ms)));
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(total_ms));
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, kMinBytesPerSecond);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, std::max(1L, (timeout_ms + 999L) / 1000L));
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &OnBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &t);
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &OnHeader);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, &t);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &OnProgress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &t);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);

  Origin origin;
  OriginOf(url, &origin);
  CURLcode rc = CURLE_OK;
  long status = 0;
  std::string redirect_error;
  for (int hop = 0;; ++hop) {
    rc = curl_easy_perform(curl);
    status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    const bool redirect = status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
    char* location = nullptr;
    if (rc != CURLE_OK || !redirect || curl_easy_getinfo(curl, CURLINFO_REDIRECT_URL, &location) != CURLE_OK ||
        !location)
      break;
    const std::string target = location;
    if (hop >= kMaxRedirects) {
      redirect_error = "too many redirects";
      break;
    }
    if (!SameOrigin(origin, target)) {
      redirect_error = "redirect to another site: " + MakeValidUtf8(target.substr(0, 200));
      break;
    }
    t.body.clear();
    t.last_bytes = -1;
    t.last_progress = std::chrono::steady_clock::now();
    curl_easy_setopt(curl, CURLOPT_URL, target.c_str());
  }
  curl_easy_cleanup(curl);
  curl_slist_free_all(headers);

  if (!redirect_error.empty()) {
    // A redirect loop or a redirect off the site does not mend itself.
    r.status = static_cast<int>(status);
    r.error = "WinHttpSend/Receive failed (" + redirect_error + ")";
    r.retry_forbidden = true;
    AppendRequestLog(url, r.status, 0, NowMonotonicMs() - start, r.error);
    return r;
  }

  if (rc != CURLE_OK) {
    if (t.too_large) {
      r.status = static_cast<int>(status);
      r.error = "body too large";
      r.retry_forbidden = true;
    } else {
      r.status = 0;
      r.error = "WinHttpSend/Receive failed";
      const int number = TransientNumber(rc, t);
      if (number != 0) r.error += " (transient " + std::to_string(number) + ")";
      // A redirect loop or a redirect off http(s) does not mend itself.
      r.retry_forbidden = rc == CURLE_TOO_MANY_REDIRECTS || rc == CURLE_UNSUPPORTED_PROTOCOL;
    }
    AppendRequestLog(url, r.status, 0, NowMonotonicMs() - start, r.error);
    return r;
  }

  r.status = static_cast<int>(status);
  r.etag = t.etag;
  r.last_modified = t.last_modified;
  r.retry_after_ms = ParseRetryAfterMs(t.retry_after);

  if (r.status == 304) {
    r.ok = true;
    AppendRequestLog(url, 304, 0, NowMonotonicMs() - start, "not_modified");
    return r;
  }
  const bool success = r.status >= 200 && r.status <= 299;
  if (success && !BodyIsText(t.body, t.content_type)) {
    // Binary data (an undecoded or unknown encoding, a file) is no page,
    // whatever it might pass for once made valid UTF-8.
    r.error = "body is not text";
    r.retry_forbidden = true;
    AppendRequestLog(url, r.status, t.body.size(), NowMonotonicMs() - start, r.error);
    return r;
  }
  r.body = BodyToUtf8(std::move(t.body), t.content_type);
  AppendRequestLog(url, r.status, r.body.size(), NowMonotonicMs() - start, success ? "ok" : "fail");
  if (!success) {
    r.error = "HTTP status " + std::to_string(r.status);
    return r;
  }
  r.ok = true;
  return r;
}

FetchUrlResult FetchUrl(const std::string& url, int timeout_ms) {
  const HttpGetResult r = GetWithRetries(url, "", "", timeout_ms);
  FetchUrlResult out;
  if (r.ok && r.status == 304) {
    out.error = "unexpected HTTP 304";
    return out;
  }
  out.ok = r.ok;
  out.body = r.body;
  out.error = r.error;
  return out;
}

ConditionalFetchResult FetchUrlConditional(const std::string& url, const std::string& if_none_match,
                                           const std::string& if_modified_since, int timeout_ms) {
  const HttpGetResult r = GetWithRetries(url, if_none_match, if_modified_since, timeout_ms);
  ConditionalFetchResult out;
  out.status = r.status;
  out.ok = r.ok;
  out.error = r.error;
  if (r.ok && r.status == 304) {
    out.not_modified = true;
    return out;
  }
  out.body = r.body;
  if (r.ok) {
    out.etag = r.etag;
    out.last_modified = r.last_modified;
  }
  return out;
}

}  // namespace orvane
