#include "fetch/html_text.h"

#include <algorithm>

#include <cstring>
#include <vector>

#include "common/text.h"
#include "fetch/portal.h"

namespace orvane {
namespace {

constexpr std::string_view kSectionMark = "=====";

// Whole lines that are site navigation, not warnings.
constexpr const char* kNoiseWords[] = {
    "Quorvant", "Marine hub", "Contributor", "Privacy", "Terms",    "Language:",   "Account", "Loading", "Cookie",
    "Sign in",  "Sign up",    "Home",        "Search",  "Bulletins", "Downloads",  "About",   "Noon",    "Beta",
    "Quiz",     "App",        "More",        "API",     "New",       "en",         "UTC",     "Show on map", "View",
    "Copy",     "Export",     "Share",       "MODU",    "Coastal",   "Ports",      "ECDIS",   "Map",     "NAVTEX Live"};

constexpr const char* kBulletinMarkers[] = {"NAVAREA", "ZCZC",     "NNNN",     "DRILLING", "CANCEL",     "BERTH",
                                            "EXERCISE", "MINE",    "WRECK",    "PLATFORM", "SECURITE",
                                            "S\xC3\x89" "CURIT\xC3\x89"};

constexpr const char* kRemovedElements[] = {"script", "style", "nav", "footer", "header"};

struct Entity {
  const char* name;
  const char* text;
};
// "&amp;" goes before the others, as the pages encode it that way.
constexpr Entity kEntities[] = {{"&nbsp;", " "},  {"&amp;", "&"},  {"&lt;", "<"},  {"&gt;", ">"},
                                {"&quot;", "\""}, {"&#39;", "'"}, {"&apos;", "'"}};

std::string LowerAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

// Bytes looked at by the searches of this file on this thread; the fuzz
// target checks that they grow in proportion to the page.
thread_local size_t g_scanned = 0;

// s.find(needle, from), with the bytes it looked at counted.
size_t Find(std::string_view s, std::string_view needle, size_t from) {
  if (from > s.size()) return std::string_view::npos;
  const size_t r = s.find(needle, from);
  g_scanned += (r == std::string_view::npos ? s.size() : std::min(s.size(), r + needle.size())) - from;
  return r;
}

// One pass per element name, each copying what lies outside the elements:
// erasing in place would move the rest of the page once per element.
void RemoveElements(std::string* text) {
  for (const char* name : kRemovedElements) {
    const std::string lower = LowerAscii(*text);
    g_scanned += lower.size();
    const std::string open = std::string("<") + name;
    const std::string close = std::string("</") + name + ">";
    std::string out;
    out.reserve(text->size());
    size_t pos = 0;
    for (;;) {
      const size_t a = Find(lower, open, pos);
      if (a == std::string::npos) {
        out.append(*text, pos, std::string::npos);
        break;
      }
      out.append(*text, pos, a - pos);
      const size_t b = Find(lower, close, a);
      if (b == std::string::npos) break;  // an element left open runs to the end
      pos = b + close.size();
    }
    text->swap(out);
  }
}

std::string StripTags(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  bool in_tag = false;
  for (char c : text) {
    if (c == '<') {
      in_tag = true;
      out.push_back('\n');
    } else if (c == '>') {
      in_tag = false;
    } else if (!in_tag) {
      out.push_back(c);
    }
  }
  return out;
}

// One copying pass per entity, in the table's order.
void DecodeEntities(std::string* text) {
  for (const Entity& e : kEntities) {
    const std::string_view name = e.name;
    std::string out;
    out.reserve(text->size());
    size_t pos = 0;
    for (;;) {
      const size_t a = Find(*text, name, pos);
      if (a == std::string::npos) {
        out.append(*text, pos, std::string::npos);
        break;
      }
      out.append(*text, pos, a - pos);
      out += e.text;
      pos = a + name.size();
    }
    text->swap(out);
  }
}

bool IsLineSpace(char c) { return c == ' ' || c == '\t' || c == '\f' || c == '\v' || c == '\r'; }

std::string CollapseSpace(std::string_view line) {
  std::string out;
  bool pending = false;
  for (char c : line) {
    if (IsLineSpace(c)) {
      pending = true;
      continue;
    }
    if (pending && !out.empty()) out.push_back(' ');
    pending = false;
    out.push_back(c);
  }
  return out;
}

bool IsNoiseWord(const std::string& line) {
  for (const char* w : kNoiseWords)
    if (line == w) return true;
  return false;
}

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool IsShortSingleWord(const std::string& line) {
  if (line.size() >= 12) return false;
  for (char c : line)
    if (!IsAsciiLetter(c)) return false;
  return true;
}

// NAVTEX frame marks are short single words too, but they separate frames.
bool IsFrameMark(const std::string& line) {
  const std::string up = UpperAscii(line);
  return up == "NNNN" || up == "ZCZC";
}

// Longer link values are not followed (a request line refuses them anyway).
constexpr size_t kMaxLinkBytes = 4096;

// The first byte of a set at or after a position, for positions asked in
// rising order: each answer is remembered until a later position passes
// it, so a page is scanned once however many links it holds.
class ForwardFinder {
 public:
  ForwardFinder(std::string_view text, std::string_view set) : text_(text), set_(set) {}
  size_t Next(size_t from) {
    if (have_ && from >= from_ && (found_ == std::string_view::npos || from <= found_)) return found_;
    found_ = text_.find_first_of(set_, from);
    g_scanned += (found_ == std::string_view::npos ? text_.size() : found_ + 1) - std::min(from, text_.size());
    from_ = from;
    have_ = true;
    return found_;
  }

 private:
  std::string_view text_, set_;
  bool have_ = false;
  size_t from_ = 0, found_ = std::string_view::npos;
};

// Reads href values of one page for rising positions.
class HrefReader {
 public:
  HrefReader(std::string_view html, bool stop_at_tab)
      : html_(html), dq_(html, "\""), sq_(html, "'"), bare_(html, stop_at_tab ? " >\t" : " >") {}
  // The href value at pos (which points at "href="); empty when it runs
  // longer than kMaxLinkBytes.
  std::string Read(size_t pos) {
    const size_t i = pos + 5;
    if (i > html_.size()) return std::string();
    size_t begin = i, end;
    if (i < html_.size() && (html_[i] == '"' || html_[i] == '\'')) {
      begin = i + 1;
      end = (html_[i] == '"' ? dq_ : sq_).Next(begin);
    } else {
      end = bare_.Next(i);
    }
    if (end == std::string_view::npos) end = html_.size();
    if (end - begin > kMaxLinkBytes) return std::string();
    return std::string(html_.substr(begin, end - begin));
  }

 private:
  std::string_view html_;
  ForwardFinder dq_, sq_, bare_;
};

// The part of a URL before the first '/' after "://"; empty when there is no "://".
std::string OriginOf(std::string_view url) {
  const size_t sep = url.find("://");
  if (sep == std::string_view::npos) return std::string();
  const size_t slash = url.find('/', sep + 3);
  return std::string(url.substr(0, slash));
}

}  // namespace

bool LooksLikeBulletin(std::string_view upper_line) {
  for (const char* m : kBulletinMarkers)
    if (upper_line.find(m) != std::string_view::npos) return true;
  if (upper_line.find('N') == std::string_view::npos) return false;
  if (upper_line.find('E') == std::string_view::npos && upper_line.find('W') == std::string_view::npos) return false;
  for (char c : upper_line)
    if (IsAsciiDigit(c)) return true;
  return false;
}

std::string EscapeSectionLines(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  while (pos < text.size()) {
    size_t nl = text.find('\n', pos);
    nl = nl == std::string_view::npos ? text.size() : nl + 1;
    const std::string_view line = text.substr(pos, nl - pos);
    if (StartsWith(line, kSectionMark)) out.push_back(' ');
    out.append(line);
    pos = nl;
  }
  return out;
}

std::string HtmlToText(std::string_view html) {
  std::string text(html);
  RemoveElements(&text);
  text = StripTags(text);
  DecodeEntities(&text);

  std::string out;
  bool started = false, first = true;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t nl = Find(text, "\n", pos);
    if (nl == std::string::npos) nl = text.size();
    const std::string line = CollapseSpace(std::string_view(text).substr(pos, nl - pos));
    pos = nl + 1;

    if (line.size() <= 2) continue;
    if (StartsWith(line, "http://") || StartsWith(line, "https://")) continue;
    if (IsNoiseWord(line)) continue;
    if (IsShortSingleWord(line) && !IsFrameMark(line)) continue;
    if (!started && LooksLikeBulletin(UpperAscii(line))) started = true;
    if (!started) continue;
    if (line.size() < 40 && line.size() >= 8 && line.find("In force") != std::string::npos) continue;
    if (!first) out.push_back('\n');
    // The combined fetch text marks its sections with such lines; one from a
    // page must not open a section of its own.
    if (StartsWith(line, kSectionMark)) out.push_back(' ');
    out += line;
    first = false;
  }
  return out;
}

namespace {
// Browsers drop tabs and line breaks inside a link address; kept, they would
// reach the request line.
std::string WithoutBreaks(std::string v) {
  v.erase(std::remove_if(v.begin(), v.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }), v.end());
  return v;
}
}  // namespace

size_t HtmlScannedBytes() { return g_scanned; }
void ResetHtmlScannedBytes() { g_scanned = 0; }

std::string FindNextPageUrl(std::string_view html, std::string_view base_url) {
  const std::string lower = LowerAscii(html);
  const std::string base = base_url.empty() ? PortalBaseUrl() : std::string(base_url);
  // Links are followed only on the page's own site.
  const std::string reference = base.find("://") != std::string::npos ? base : PortalBaseUrl();
  // A backslash is read differently by different URL parsers; such a link is not followed.
  auto usable = [&](const std::string& url) {
    return url.find('\\') == std::string::npos && SameOrigin(url, reference);
  };
  // The link as the request will be made: the portal's own origin, spelled
  // as configured, and the link's path and query.
  auto on_portal = [&](const std::string& url) {
    const size_t sep = url.find("://");
    const size_t path = url.find_first_of("/?#", sep + 3);
    std::string rest = path == std::string::npos ? std::string() : url.substr(path);
    if (rest.empty() || rest[0] != '/') rest.insert(0, "/");  // "host?page=2" asks for "/?page=2"
    return OriginOf(reference) + rest;
  };

  // Explicit rel=next link.
  HrefReader rel_hrefs(html, true);
  size_t href_done = 0;
  for (size_t r = Find(lower, "rel=", 0); r != std::string::npos; r = Find(lower, "rel=", r + 4)) {
    size_t v = r + 4;
    while (v < lower.size() && (lower[v] == ' ' || lower[v] == '"' || lower[v] == '\'')) ++v;
    g_scanned += v - r;
    if (lower.compare(v, 4, "next") != 0) continue;
    // Only the 200 bytes either side: a search running on would cross the
    // page once per rel= attribute.
    const size_t win_start = r >= 200 ? r - 200 : 0;
    const size_t win_end = std::min(lower.size(), r + 200);
    const std::string_view window = std::string_view(lower).substr(0, win_end + 4);
    // Windows overlap; an href already read for an earlier rel= is not read again.
    for (size_t h = Find(window, "href=", std::max(win_start, href_done)); h != std::string::npos && h < win_end;
         h = Find(window, "href=", h + 5)) {
      href_done = h + 5;
      const std::string value = WithoutBreaks(rel_hrefs.Read(h));
      if (value.empty() || value[0] == '#') continue;
      std::string url;
      if (StartsWith(value, "http://") || StartsWith(value, "https://")) {
        url = value;
      } else if (value[0] == '/') {
        const std::string stripped = StripTrailingSlashes(base);
        url = stripped.find("://") != std::string::npos ? OriginOf(stripped) + value : PortalBaseUrl() + value;
      } else {
        continue;
      }
      if (usable(url)) return on_portal(url);
    }
  }

  // Turkish "sonraki" (next) link carrying a page number.
  HrefReader sonraki_hrefs(html, false);
  for (size_t s = Find(lower, "sonraki", 0); s != std::string::npos; s = Find(lower, "sonraki", s + 7)) {
    // The link's href within the 120 bytes before the word; searched there
    // only, not back to the start of the page.
    const size_t win_start = s >= 120 ? s - 120 : 0;
    const size_t back = std::string_view(lower).substr(win_start, s - win_start + 5).rfind("href=");
    g_scanned += s - win_start + 5;
    if (back == std::string_view::npos || win_start + back > s) continue;
    const size_t h = win_start + back;
    const std::string value = WithoutBreaks(sonraki_hrefs.Read(h));
    if (value.size() <= 4 || value.find("page=") == std::string::npos) continue;
    std::string url;
    if (StartsWith(value, "http")) {
      url = value;
    } else if (value[0] == '/') {
      const std::string origin = OriginOf(base);
      url = (origin.empty() ? base : origin) + value;
    } else {
      url = StripTrailingSlashes(base) + "/" + value;
    }
    if (usable(url)) return on_portal(url);
  }
  return std::string();
}

}  // namespace orvane
