#include "fetch/navarea_fetch.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>

#include "common/clock.h"
#include "fetch/fetch_cache.h"
#include "fetch/fetch_control.h"
#include "fetch/html_text.h"
#include "fetch/http_client.h"
#include "fetch/portal.h"
#include "parse/bulletin.h"

namespace orvane {
namespace {

constexpr const char* kCancelled = "fetch cancelled";
constexpr size_t kListPageMinBytes = 80;
constexpr size_t kFreshMinBytes = 40;

std::atomic<int> g_timeout_ms{kHttpTimeoutMs};
std::atomic<int> g_overall_ms{kNavareaOverallTimeoutMs};

std::atomic<size_t> g_max_text{kMaxFetchTextBytes};
std::atomic<size_t> g_max_messages{kMaxFetchMessages};

// What is left of the whole fetch's text and messages for the NAVAREA being
// fetched on this thread; FetchNavareas lowers it after each one.
thread_local size_t t_text_left = SIZE_MAX;
thread_local size_t t_messages_left = SIZE_MAX;

size_t TextLeft() { return std::min(t_text_left, g_max_text.load()); }
size_t MessagesLeft() { return std::min(t_messages_left, g_max_messages.load()); }

// Failure reason when text would take the fetch past its bounds, else empty.
std::string OverBounds(const std::string& text, size_t* messages) {
  if (text.size() > TextLeft())
    return "fetch over " + std::to_string(g_max_text.load() >> 20) + " MiB of text";
  *messages = ParseBulletin(text).size();
  if (*messages > MessagesLeft()) return "fetch over " + std::to_string(g_max_messages.load()) + " messages";
  return std::string();
}

// One NAVAREA's requests (all its pages, all their retries) end by one
// deadline, so a slow or dripping site holds up the fetch that long at most.
class NavareaDeadline {
 public:
  NavareaDeadline() { SetRequestDeadline(NowMonotonicMs() + g_overall_ms.load()); }
  ~NavareaDeadline() { SetRequestDeadline(0); }
  NavareaDeadline(const NavareaDeadline&) = delete;
  NavareaDeadline& operator=(const NavareaDeadline&) = delete;
};

struct Coordinator {
  int id;
  const char* country;
  const char* website;  // empty when the coordinator publishes none
};
constexpr Coordinator kCoordinators[] = {
    {1, "United Kingdom", "https://www.admiralty.co.uk/RadioNavigationalWarnings"},
    {2, "France", "https://www.shom.fr"},
    {3, "Spain", "https://armada.defensa.gob.es/ihm"},
    {4, "United States", "https://msi.nga.mil/NavWarnings"},
    {5, "Brazil", "https://www.marinha.mil.br/chm"},
    {6, "Argentina", "https://www.hidro.gov.ar"},
    {7, "South Africa", "https://www.sanho.co.za"},
    {8, "India", "https://hydrobharat.gov.in"},
    {9, "Pakistan", "https://www.paknavy.gov.pk"},
    {10, "Australia", "https://www.amsa.gov.au"},
    {11, "Japan", "https://www1.kaiho.mlit.go.jp"},
    {12, "United States", "https://msi.nga.mil/NavWarnings"},
    {13, "Russian Federation", ""},
    {14, "New Zealand", "https://www.maritimenz.govt.nz"},
    {15, "Chile", "https://www.shoa.cl"},
    {16, "Peru", "https://www.dhn.mil.pe"},
    {17, "Canada", "https://www.ccg-gcc.gc.ca"},
    {18, "Canada", "https://www.ccg-gcc.gc.ca"},
    {19, "Norway", "https://www.kystverket.no"},
    {20, "Russian Federation", ""},
    {21, "Russian Federation", ""},
};
constexpr const char* kIhoReferencePage = "https://iho.int/en/navigational-warnings";

bool ValidId(int n) { return n >= 1 && n <= 21; }

std::string Base(const std::string& base) { return StripTrailingSlashes(base.empty() ? PortalBaseUrl() : base); }

enum class PageResult { kContent, kFailed, kNotModified, kShort };

struct NavareaState {
  std::string list_url;
  std::string output;
  bool got_content = false;
  bool list_content = false;
  bool not_modified_seen = false;
  std::vector<int> pages;
  int empty_count = 0;
  int fail_count = 0;
  std::string last_error;
  std::string source_url;
  std::string next_url;
  int last_status = 0;
  std::string etag, last_modified;  // of the latest page that gave text
};

PageResult FetchPage(NavareaState* st, const std::string& url, bool list_page, const std::string& inm,
                     const std::string& ims) {
  st->last_status = 0;
  if (url.empty()) return PageResult::kFailed;
  const ConditionalFetchResult r = FetchUrlConditional(url, inm, ims, g_timeout_ms.load());
  st->last_status = r.status;
  if (!r.ok) {
    st->last_error = r.error + " (" + url + ")";
    if (list_page)
      ++st->fail_count;
    else
      st->output += "<!-- fetch error " + url + ": " + r.error + " -->\n";
    return PageResult::kFailed;
  }
  if (r.not_modified) {
    st->not_modified_seen = true;
    return PageResult::kNotModified;
  }
  const std::string text = HtmlToText(r.body);
  if (!list_page || text.size() >= kListPageMinBytes) {
    st->got_content = true;
    if (list_page) {
      st->list_content = true;
      st->pages.push_back(static_cast<int>(st->pages.size()) + 1);
    }
    if (st->source_url.empty()) st->source_url = url;
    st->etag = r.etag;
    st->last_modified = r.last_modified;
    st->output += text + "\n\n";
    st->next_url = FindNextPageUrl(r.body, st->list_url);
    return PageResult::kContent;
  }
  ++st->empty_count;
  return PageResult::kShort;
}

NavareaFetchResult Failed(std::string summary) {
  NavareaFetchResult out;
  out.summary = std::move(summary);
  return out;
}

}  // namespace

void SetNavareaFetchTimeoutMs(int ms) { g_timeout_ms.store(ms > 0 ? ms : kHttpTimeoutMs); }
void SetFetchBounds(size_t text_bytes, size_t messages) {
  g_max_text.store(text_bytes > 0 ? text_bytes : kMaxFetchTextBytes);
  g_max_messages.store(messages > 0 ? messages : kMaxFetchMessages);
}

void SetNavareaOverallTimeoutMs(int ms) { g_overall_ms.store(ms > 0 ? ms : kNavareaOverallTimeoutMs); }

std::string NavareaListUrl(const std::string& base, int n) {
  if (!ValidId(n)) return std::string();
  return Base(base) + "/navarea/" + std::to_string(n) + "/messages/";
}
std::string NavareaListPageUrl(const std::string& base, int n, int page) {
  if (!ValidId(n)) return std::string();
  return NavareaListUrl(base, n) + "?page=" + std::to_string(page);
}
std::string NavareaArchiveUrl(const std::string& base, int n) {
  if (!ValidId(n)) return std::string();
  return NavareaListUrl(base, n) + "archive/";
}
std::string NavareaOverviewUrl(const std::string& base, int n) {
  if (!ValidId(n)) return std::string();
  return Base(base) + "/navarea/" + std::to_string(n);
}

std::string CoordinatorLine(int n) {
  for (const Coordinator& c : kCoordinators) {
    if (c.id != n) continue;
    char buf[512];
    std::snprintf(buf, sizeof buf, "NAVAREA %d coordinator=%s website=%s (hub=%s)", c.id, c.country,
                  *c.website ? c.website : "N/A", kIhoReferencePage);
    return buf;
  }
  return "NAVAREA ? unknown";
}

NavareaFetchResult FetchNavarea(int n, const std::string& base) {
  if (!ValidId(n)) return Failed("invalid NAVAREA id");
  if (FetchStopRequested()) return Failed(kCancelled);
  const NavareaDeadline deadline;

  NavareaState st;
  st.list_url = NavareaListUrl(base, n);

  // The validators belong to the first list page and are sent only with it,
  // and only when there is a cached text to stand for a 304.
  std::string cached, etag, last_modified;
  if (ReadNavareaCache(n, &cached)) ReadCacheValidators(n, &etag, &last_modified);

  const PageResult first = FetchPage(&st, st.list_url, true, etag, last_modified);
  if (first == PageResult::kNotModified) {
    NavareaFetchResult out;
    if (cached.empty()) return Failed("all Quorvant fetches failed");
    out.ok = true;
    out.text = cached;
    return out;
  }
  // Stored only when page 1 itself gave the text they vouch for.
  std::string store_etag, store_last_modified;
  if (first == PageResult::kContent) {
    store_etag = st.etag;
    store_last_modified = st.last_modified;
  }

  const int limit = std::clamp(kNavareaPageLimit, 1, 10);
  if (first == PageResult::kContent) {
    for (int i = 2; i <= limit; ++i) {
      if (FetchStopRequested()) return Failed(kCancelled);
      const bool linked = !st.next_url.empty();
      const std::string url = linked ? st.next_url : NavareaListPageUrl(base, n, i);
      const PageResult page = FetchPage(&st, url, true, "", "");
      if (page == PageResult::kContent) {
        if (st.output.size() > TextLeft())
          return Failed("fetch over " + std::to_string(g_max_text.load() >> 20) + " MiB of text");
        if (st.next_url == url) st.next_url.clear();
        continue;
      }
      // A list is whole or not at all: a part of it would replace the
      // warnings in force with some of them, so the cache stands in. Only a
      // page number guessed past the end may end the list, by being missing
      // or without warnings.
      const bool past_the_end =
          !linked && (page == PageResult::kShort ||
                      (page == PageResult::kFailed && (st.last_status == 404 || st.last_status == 410)));
      if (past_the_end) break;
      if (page == PageResult::kNotModified) return Failed("unexpected HTTP 304 (" + url + ")");
      if (page == PageResult::kShort) return Failed("no warning text on a linked list page (" + url + ")");
      return Failed(st.last_error);
    }
  }

  if (IncludeArchiveEnabled()) {
    if (FetchStopRequested()) return Failed(kCancelled);
    FetchPage(&st, NavareaArchiveUrl(base, n), false, "", "");
  }
  if (!st.list_content) {
    if (FetchStopRequested()) return Failed(kCancelled);
    FetchPage(&st, NavareaOverviewUrl(base, n), false, "", "");
  }
  if (FetchStopRequested()) return Failed(kCancelled);

  if (!st.got_content && st.not_modified_seen && !cached.empty()) {
    NavareaFetchResult out;
    out.ok = true;
    out.text = cached;
    return out;
  }

  NavareaFetchResult out;
  out.text = st.output;
  if (st.got_content && out.text.size() >= kFreshMinBytes) {
    std::string list;
    for (int p : st.pages) list += (list.empty() ? "" : ",") + std::to_string(p);
    out.summary = "navarea " + std::to_string(n) + ": pages " + (list.empty() ? "-" : list) + " (ok)";
    if (st.empty_count > 0) out.summary += " empty=" + std::to_string(st.empty_count);
    if (st.fail_count > 0) out.summary += " fail=" + std::to_string(st.fail_count);
    // A whole fetch is bounded; past the bounds this NAVAREA fails and its
    // cache (not this text) stands in.
    size_t messages = 0;
    const std::string over = OverBounds(out.text, &messages);
    if (!over.empty()) return Failed(over);
    out.messages = messages;
    StoreNavareaText(n, out.text, st.source_url, 200, store_etag, store_last_modified);
    out.ok = true;
    return out;
  }
  if (st.fail_count > 0 || st.empty_count == 0 || st.not_modified_seen) {
    out.text.clear();
    out.summary = st.last_error.empty() ? "all Quorvant fetches failed" : st.last_error;
    return out;
  }
  out.text.clear();
  // Pages without any warning text are as likely an error page served with
  // 200 as an empty list; an empty result would remove every warning of the
  // NAVAREA, so the last good text stands in for it instead.
  if (!cached.empty()) return Failed("no warning text on any page");
  out.summary = "navarea " + std::to_string(n) + ": empty (ok)";
  out.ok = true;
  return out;
}

NavareasFetchResult FetchNavareas(const std::vector<int>& ids, const std::string& base) {
  NavareasFetchResult out;
  if (ids.empty()) {
    out.status = "no NAVAREA ids";
    return out;
  }
  SetFetchCancel(false);
  int ok = 0, fail = 0, cache = 0;
  std::string last_error;
  size_t text_used = 0, messages_used = 0;
  for (int id : ids) {
    t_text_left = g_max_text.load() - std::min(g_max_text.load(), text_used);
    t_messages_left = g_max_messages.load() - std::min(g_max_messages.load(), messages_used);
    if (FetchStopRequested()) {
      last_error = kCancelled;
      break;
    }
    const NavareaFetchResult r = FetchNavarea(id, base);
    const std::string num = std::to_string(id);
    if (r.ok) {
      ++ok;
      text_used += r.text.size();
      messages_used += r.messages;
      out.text += "===== NAVAREA " + num + " =====\n" + EscapeSectionLines(r.text) + "\n\n";
      continue;
    }
    ++fail;
    out.failed_ids.push_back(id);
    last_error = r.summary;
    AppendFetchErrorLog(id, NavareaListUrl(base, id), r.summary);
    out.text += "<!-- navarea " + num + " failed: " + r.summary + " -->\n";
    out.text += "<!-- " + CoordinatorLine(id) + " -->\n";
    std::string cached;
    size_t cached_messages = 0;
    // The cache stands in only within the same bounds.
    if (ReadNavareaCache(id, &cached) && OverBounds(cached, &cached_messages).empty()) {
      ++cache;
      text_used += cached.size();
      messages_used += cached_messages;
      out.text += "===== NAVAREA " + num + " (cache) =====\n" + EscapeSectionLines(cached) + "\n\n";
    }
  }
  t_text_left = SIZE_MAX;
  t_messages_left = SIZE_MAX;
  out.fresh = ok;
  if (ok > 0 || cache > 0) {
    out.ok = true;
    out.status = "ok=" + std::to_string(ok) + " fail=" + std::to_string(fail) + " cache=" + std::to_string(cache) +
                 " of " + std::to_string(ids.size());
  } else {
    out.status = last_error.empty() ? "no NAVAREA fetched" : last_error;
  }
  return out;
}

}  // namespace orvane
