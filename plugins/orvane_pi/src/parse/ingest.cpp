#include "parse/ingest.h"

#include <algorithm>
#include <unordered_set>

#include "common/text.h"
#include "parse/bulletin.h"
#include "parse/geography.h"
#include "parse/identity.h"

namespace orvane {
namespace {

template <typename T>
bool Contains(const std::vector<T>& v, const T& x) {
  return std::find(v.begin(), v.end(), x) != v.end();
}

template <typename T>
void AddOnce(std::vector<T>* v, const T& x) {
  if (!Contains(*v, x)) v->push_back(x);
}

// The fetch layer's comment lines ("<!-- navarea 4 failed: ... -->", its
// coordinator line, page fetch errors) are notes for the logs, not warnings:
// left in, each would be read as a message of its own.
std::string WithoutFetchComments(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  while (pos < text.size()) {
    size_t nl = text.find('\n', pos);
    nl = nl == std::string_view::npos ? text.size() : nl + 1;
    std::string_view line = text.substr(pos, nl - pos);
    pos = nl;
    std::string_view body = line;
    while (!body.empty() && (body.back() == '\n' || body.back() == '\r' || body.back() == ' ')) body.remove_suffix(1);
    if (body.size() >= 8 && body.substr(0, 5) == "<!-- " && body.substr(body.size() - 4) == " -->") continue;
    out.append(line);
  }
  return out;
}

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool NamesNavareaIn(const std::string& upper, int n) {
  const std::string needle = "NAVAREA " + NavareaNumeral(n);
  if (needle.size() == 8) return false;
  for (size_t at = upper.find(needle); at != std::string::npos; at = upper.find(needle, at + 1)) {
    const size_t end = at + needle.size();
    if (end >= upper.size() || !IsLetter(upper[end])) return true;
  }
  return false;
}

std::string NameText(const MsiMessage& m) { return UpperAscii(m.title + "\n" + m.raw_text); }

}  // namespace

bool NamesNavarea(const MsiMessage& m, int n) { return NamesNavareaIn(NameText(m), n); }

void AssignNavarea(MsiMessage* m, const std::vector<int>& areas, int first_id) {
  if (!m->source.empty() || (m->navarea >= 1 && m->navarea <= kNavareaCount)) return;
  const std::string upper = NameText(*m);
  for (int n = 1; n <= kNavareaCount; ++n) {
    if (NamesNavareaIn(upper, n)) {
      m->navarea = n;
      return;
    }
  }
  if (areas.size() == 1) {
    m->navarea = areas.front();
  } else if (first_id > 0) {
    m->navarea = first_id;
  }
}

MergeResult MergeFetchResult(const MessageStore& previous_in, const std::string& text, int first_id) {
  MergeResult r;
  MessageStore fresh;
  for (const FeedSection& section : SplitSections(WithoutFetchComments(text))) {
    for (MsiMessage& m : ParseBulletin(section.text)) {
      switch (section.kind) {
        case SECTION_NAVAREA:
          if (section.navarea >= 1 && section.navarea <= kNavareaCount) {
            m.navarea = section.navarea;
            m.source.clear();
            AddOnce(&r.areas, static_cast<int>(section.navarea));
          }
          break;
        case SECTION_COASTAL:
          m.navarea = 0;
          m.source = section.label;
          if (!m.id.empty() && m.id.rfind("COASTAL:", 0) != 0) m.id = "COASTAL:" + m.id;
          AddOnce(&r.sources, section.label);
          break;
        case SECTION_EXTRA:
          m.navarea = 0;
          m.source = section.label;
          AddOnce(&r.sources, section.label);
          break;
        case SECTION_PLAIN:
          break;
      }
      fresh.push_back(std::move(m));
    }
  }
  if (r.areas.empty() && r.sources.empty() && first_id >= 1) r.areas.push_back(first_id);

  for (MsiMessage& m : fresh) AssignNavarea(&m, r.areas, first_id);
  MessageStore previous = previous_in;
  for (MsiMessage& p : previous)
    if (p.navarea < 1 && p.source.empty()) AssignNavarea(&p, r.areas, first_id);

  std::unordered_set<std::string> new_ids;
  for (const MsiMessage& m : fresh) {
    if (m.id.empty()) continue;
    new_ids.insert(m.id);
    ++r.new_count;
  }

  // An old message goes when its source or area was fetched again; one
  // without a NAVAREA of its own also goes when it names a refetched one.
  auto dropped_by_source_or_area = [&](const MsiMessage& p) {
    if (!p.source.empty() && Contains(r.sources, p.source)) return true;
    for (int a : r.areas) {
      if (p.navarea == a) return true;
      if (p.source.empty() && p.navarea < 1 && NamesNavarea(p, a)) return true;
    }
    return false;
  };
  MessageStore merged;
  merged.reserve(previous.size() + fresh.size());
  for (const MsiMessage& p : previous) {
    if (!p.id.empty() && new_ids.count(p.id)) continue;
    if (dropped_by_source_or_area(p)) continue;
    merged.push_back(p);
  }
  for (MsiMessage& m : fresh) merged.push_back(std::move(m));
  NormaliseMessages(&merged);
  r.store = std::move(merged);

  std::unordered_set<std::string> store_ids;
  for (const MsiMessage& m : r.store) {
    if (!m.id.empty()) store_ids.insert(m.id);
    if (m.active && !m.geoms.empty()) ++r.drawable;
  }
  for (const MsiMessage& p : previous)
    if (!p.id.empty() && store_ids.count(p.id) && !dropped_by_source_or_area(p)) ++r.kept;
  return r;
}

}  // namespace orvane
