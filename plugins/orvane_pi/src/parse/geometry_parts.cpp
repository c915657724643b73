// The shapes of a warning: its text is cut at its item labels ("A.", "2.",
// "B)", "AREA 1"), and each part's positions become points, circles, lines,
// corridors or areas as its wording says.
#include <algorithm>
#include <cmath>
#include <string_view>
#include <vector>

#include "common/text.h"
#include "parse/positions.h"
#include "parse/text_scan.h"

namespace orvane {
namespace {

enum class Cue { kNone, kArea, kTrack, kList };

struct CueWord {
  std::string_view word;
  Cue cue;
  bool prefix_only;
};
// Words that say what the positions after them are.
constexpr CueWord kCueWords[] = {
    {"AREA", Cue::kArea, false},
    {"AREAS", Cue::kArea, false},
    {"ZONE", Cue::kArea, false},
    {"ZONES", Cue::kArea, false},
    {"SECTOR", Cue::kArea, false},
    {"BOUND", Cue::kArea, false},
    {"BOUNDED", Cue::kArea, false},
    {"BOUNDARY", Cue::kArea, false},
    {"BOUNDARIES", Cue::kArea, false},
    {"POLYGON", Cue::kArea, false},
    {"DELIMITED", Cue::kArea, false},
    {"ENCLOSED", Cue::kArea, false},
    {"COASTLINE", Cue::kArea, false},
    {"\xD0\xA0\xD0\x90\xD0\x99\xD0\x9E\xD0\x9D", Cue::kArea, true},  // РАЙОН(Е)
    {"\xD0\x9E\xD0\x93\xD0\xA0\xD0\x90\xD0\x9D\xD0\x98\xD0\xA7\xD0\x95\xD0\x9D", Cue::kArea, true},  // ОГРАНИЧЕН(НОМ)
    {"\xD0\x91\xD0\x95\xD0\xA0\xD0\x95\xD0\x93\xD0\x9E\xD0\x92\xD0\x9E\xD0\x99", Cue::kArea, false},  // БЕРЕГОВОЙ (ЛИНИИ)
    {"TRACKLINE", Cue::kTrack, false},
    {"TRACKLINES", Cue::kTrack, false},
    {"TRACK", Cue::kTrack, false},
    {"TRACKS", Cue::kTrack, false},
    {"ALONG", Cue::kTrack, false},
    {"JOINING", Cue::kTrack, false},
    {"ROUTE", Cue::kTrack, false},
    {"ROUTES", Cue::kTrack, false},
    {"LAID", Cue::kTrack, false},
    {"\xD0\x9C\xD0\x90\xD0\xA0\xD0\xA8\xD0\xA0\xD0\xA3\xD0\xA2", Cue::kTrack, true},  // МАРШРУТ
    {"STATIONS", Cue::kList, false},
    {"MOORINGS", Cue::kList, false},
    {"BUOYS", Cue::kList, false},
    {"PLATFORMS", Cue::kList, false},
    {"RIGS", Cue::kList, false},
    {"ICEBERGS", Cue::kList, false},
    {"WRECKS", Cue::kList, false},
    {"LIGHTS", Cue::kList, false},
    {"BEACONS", Cue::kList, false},
    {"TURBINES", Cue::kList, false},
    {"WELLHEADS", Cue::kList, false},
    {"MOVED", Cue::kList, false},
    {"RELOCATED", Cue::kList, false},
    // Sightings: each position is where something was seen.
    {"REPORTED", Cue::kList, false},
    {"SIGHTED", Cue::kList, false},
    {"ADRIFT", Cue::kList, false},
    {"DRIFTING", Cue::kList, false},
};

// Words that join the positions of one shape and say nothing of their own.
constexpr std::string_view kJoinWords[] = {"AND", "TO", "THEN", "THENCE", "FROM", "IN", "AT", "OR",
                                           "POSITION", "POSITIONS", "PSN", "POSN", "POS", "APPROX", "ABOUT"};

// Label words that name a part by its shape: "AREA 1", "ZONE B", "TRACK".
struct LabelWord {
  std::string_view word;
  Cue cue;
};
constexpr LabelWord kLabelWords[] = {
    {"AREA", Cue::kArea}, {"ZONE", Cue::kArea}, {"SECTOR", Cue::kArea}, {"TRACK", Cue::kTrack}, {"ROUTE", Cue::kTrack},
};

enum LabelStyle : int { kNoLabel = 0, kNumberDot, kNumberParen, kNumberBracket, kLetterDot, kLetterParen, kLetterBracket, kWordLabel };

struct Label {
  size_t at = 0;
  LabelStyle style = kNoLabel;
  Cue cue = Cue::kNone;
};

bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool IsLineBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// An item label starting at i ("1.", "2)", "(3)", "A.", "AB.", "C)", "(D)",
// "AREA 1", "ZONE B:", a line "TRACK"), or kNoLabel.
Label LabelAt(std::string_view u, size_t i, bool line_start) {
  Label l;
  l.at = i;
  const size_t n = u.size();
  auto ends_label = [&](size_t k, bool letter_may_follow) {
    return k >= n || IsAsciiSpace(u[k]) || (letter_may_follow && IsUpper(u[k]));
  };
  if (i >= n) return l;
  if (IsAsciiDigit(u[i])) {
    size_t k = i;
    while (k < n && IsAsciiDigit(u[k]) && k - i < 3) ++k;
    if (k - i > 2 || k >= n) return l;
    if (u[k] == '.' && ends_label(k + 1, true)) l.style = kNumberDot;
    if (u[k] == ')' && ends_label(k + 1, false)) l.style = kNumberParen;
    return l;
  }
  if (u[i] == '(' && i + 2 < n) {
    size_t k = i + 1;
    if (IsAsciiDigit(u[k])) {
      while (k < n && IsAsciiDigit(u[k]) && k - i <= 2) ++k;
      if (k < n && u[k] == ')' && ends_label(k + 1, false)) l.style = kNumberBracket;
    } else if (IsUpper(u[k]) && u[k + 1] == ')' && ends_label(k + 2, false)) {
      l.style = kLetterBracket;
    }
    return l;
  }
  // A Cyrillic capital letter: "А)", "Б.".
  if (static_cast<unsigned char>(u[i]) == 0xD0 && i + 3 < n && static_cast<unsigned char>(u[i + 1]) >= 0x90 &&
      static_cast<unsigned char>(u[i + 1]) <= 0xAF) {
    if (u[i + 2] == '.' && ends_label(i + 3, false)) l.style = kLetterDot;
    if (u[i + 2] == ')' && ends_label(i + 3, false)) l.style = kLetterParen;
    return l;
  }
  if (IsUpper(u[i])) {
    // Letters: one, or a run of A's and one more (the "AA.", "AAB." of long lists).
    size_t k = i;
    while (k < n && u[k] == 'A' && k - i < 3) ++k;
    if (k < n && IsUpper(u[k]) && (k == i || k + 1 >= n || !IsUpper(u[k + 1]))) ++k;
    if (k > i && k - i <= 4 && k < n) {
      if (u[k] == '.' && ends_label(k + 1, false)) l.style = kLetterDot;
      if (u[k] == ')' && ends_label(k + 1, false)) l.style = kLetterParen;
      if (l.style != kNoLabel) return l;
    }
    for (const LabelWord& w : kLabelWords) {
      if (!WordAt(u, i, w.word)) continue;
      size_t j = i + w.word.size();
      size_t e = j;
      while (e < n && IsLineBlank(u[e])) ++e;
      // "AREA" alone on its line, or followed by a one-letter or number id.
      size_t id = e;
      if (id < n && IsUpper(u[id]) && (id + 1 >= n || !IsUpper(u[id + 1])) && e > j) {
        ++id;
      } else {
        while (id < n && IsAsciiDigit(u[id]) && id - e < 2) ++id;
        if (id < n && IsAsciiDigit(u[id])) id = e;
      }
      if (id > e) {
        size_t k = id;
        if (k < n && (u[k] == '.' || u[k] == ':' || u[k] == ')')) ++k;
        if (!ends_label(k, false)) continue;
      } else {
        // Without an id the word labels only a line of its own.
        if (!line_start) continue;
        size_t k = e;
        if (k < n && u[k] == ':') ++k;
        while (k < n && IsLineBlank(u[k])) ++k;
        if (k < n && u[k] != '\n') continue;
      }
      l.style = kWordLabel;
      l.cue = w.cue;
      return l;
    }
  }
  return l;
}

// Labels at line starts, and after a colon, comma or full stop and a blank.
std::vector<Label> FindLabels(std::string_view u) {
  std::vector<Label> labels;
  bool line_start = true;
  for (size_t i = 0; i < u.size(); ++i) {
    const char c = u[i];
    if (c == '\n') {
      line_start = true;
      continue;
    }
    if (IsLineBlank(c)) continue;
    bool candidate = line_start;
    if (!line_start && i >= 2 && IsLineBlank(u[i - 1])) {
      size_t b = i - 1;
      while (b > 0 && IsLineBlank(u[b - 1])) --b;
      candidate = b > 0 && (u[b - 1] == ':' || u[b - 1] == ',' || u[b - 1] == '.' || u[b - 1] == ';');
    }
    if (candidate) {
      const Label l = LabelAt(u, i, line_start);
      if (l.style != kNoLabel) labels.push_back(l);
    }
    line_start = false;
  }
  return labels;
}

struct Segment {
  size_t begin = 0, end = 0;
  LabelStyle style = kNoLabel;
  Cue label_cue = Cue::kNone;
  int rank = -1;      // nesting depth of its label style, by first use
  int lead_in = -1;   // the segment whose text introduces this one
  size_t first_pos = 0, pos_count = 0;  // its positions in the span list
};

// The cue of the word at i ("COASTAL" only before "LINE"), or kNone.
Cue CueOfWord(std::string_view u, size_t i, std::string_view w) {
  for (const CueWord& c : kCueWords) {
    if (c.word[0] != w[0]) continue;
    if (c.prefix_only ? StartsWith(w, c.word) : w == c.word) return c.cue;
  }
  if (w == "COASTAL") {
    size_t k = i + w.size();
    while (k < u.size() && IsAsciiSpace(u[k])) ++k;
    if (WordAt(u, k, "LINE")) return Cue::kArea;
  }
  return Cue::kNone;
}

// The cue nearest before `before`, from `from` on; kNone when none. One
// pass over the words.
Cue LastCueBefore(std::string_view u, size_t from, size_t before) {
  Cue cue = Cue::kNone;
  before = std::min(before, u.size());
  size_t i = from;
  while (i < before) {
    if (!IsWordByte(u[i]) || (i > 0 && (IsWordByte(u[i - 1]) || IsAsciiDigit(u[i - 1])))) {
      ++i;
      continue;
    }
    size_t e = i;
    while (e < u.size() && IsWordByte(u[e])) ++e;
    if (e <= before) {
      const Cue c = CueOfWord(u, i, u.substr(i, e - i));
      if (c != Cue::kNone) cue = c;
    }
    i = e;
  }
  return cue;
}

bool IsJoinWord(std::string_view w) {
  for (std::string_view j : kJoinWords)
    if (w == j) return true;
  return false;
}

// True when u[from, to) holds a word of its own: a name, an object, a
// state. Joining words, bracketed codes ("(SG01)") and single letters do
// not count.
bool HasContentWord(std::string_view u, size_t from, size_t to) {
  size_t i = from;
  int depth = 0;
  while (i < to) {
    const char c = u[i];
    if (c == '(') ++depth;
    if (c == ')' && depth > 0) --depth;
    if (!IsWordByte(c)) {
      ++i;
      continue;
    }
    size_t e = i, letters = 0;
    for (; e < to && IsWordByte(u[e]); ++e)
      if ((static_cast<unsigned char>(u[e]) & 0xC0) != 0x80) ++letters;  // UTF-8 lead bytes only
    if (depth == 0 && letters >= 2 && !IsJoinWord(u.substr(i, e - i))) return true;
    i = e;
  }
  return false;
}

// The text of a label's line without its label and position: empty for a
// bare vertex "A. 24-55.800N 053-02.400E".
bool IsBareItem(std::string_view u, const Segment& s, const PositionSpan& p) {
  size_t label_end = s.begin;
  while (label_end < u.size() && !IsAsciiSpace(u[label_end])) ++label_end;
  size_t line_end = u.substr(0, s.end).find('\n', p.end);
  if (line_end == std::string_view::npos) line_end = s.end;
  return !HasContentWord(u, label_end, p.begin) && !HasContentWord(u, p.end, line_end);
}

std::vector<LatLon> DropRepeatsInARow(const std::vector<LatLon>& p) {
  std::vector<LatLon> out;
  for (const LatLon& q : p) {
    if (!out.empty() && std::fabs(out.back().first - q.first) < 1e-5 && std::fabs(out.back().second - q.second) < 1e-5)
      continue;
    out.push_back(q);
  }
  return out;
}

void AddPoints(const std::vector<LatLon>& positions, double radius, std::vector<MsiGeom>* out) {
  for (const LatLon& p : RemoveNearDuplicates(positions))
    out->push_back({radius > 0 ? GEOM_CIRCLE : GEOM_POINT, {p}, radius});
}

void AddArea(const std::vector<LatLon>& positions, std::vector<MsiGeom>* out) {
  std::vector<LatLon> ring = RemoveNearDuplicates(positions);
  if (ring.size() < 3) {
    AddPoints(ring, 0.0, out);
    return;
  }
  // The text's order is the area's outline; only a ring that crosses
  // itself that way is put in order around its centre.
  if (RingCrossesItself(ring)) ring = OrderAroundCentre(ring);
  out->push_back({GEOM_POLYGON, std::move(ring), 0.0});
}

void AddTrack(const std::vector<LatLon>& positions, double radius, std::vector<MsiGeom>* out) {
  const std::vector<LatLon> line = DropRepeatsInARow(positions);
  if (line.size() < 2) {
    AddPoints(line, radius, out);
    return;
  }
  out->push_back({GEOM_POLYLINE, line, radius});
}

// One part: its positions, the text around them and what introduces it.
struct Part {
  size_t begin = 0, end = 0;   // its own text
  Cue lead_cue = Cue::kNone;   // the wording of the text introducing it
  double lead_radius = 0.0;    // a distance stated there for its items
  Cue label_cue = Cue::kNone;
  std::vector<const PositionSpan*> positions;
  bool merged_vertices = false;  // bare labelled vertices of one area
};

void ShapePart(std::string_view u, const Part& part, double message_radius, std::vector<MsiGeom>* out) {
  std::vector<LatLon> pos;
  for (const PositionSpan* p : part.positions) pos.push_back(p->pos);
  const size_t first = part.positions.empty() ? part.end : part.positions.front()->begin;

  const StatedDistance own = FirstStatedRadius(u, part.begin, part.end);
  double radius = own.found ? own.nm : part.lead_radius;
  if (radius == 0.0) radius = message_radius;

  const std::vector<LatLon> box = ReadLimitBox(u, part.begin, part.end);
  if (!box.empty() && pos.empty()) {
    out->push_back({GEOM_POLYGON, box, 0.0});
    return;
  }
  if (pos.empty()) return;

  Cue cue = part.merged_vertices ? Cue::kArea : LastCueBefore(u, part.begin, first);
  if (cue == Cue::kNone) cue = part.label_cue;
  if (cue == Cue::kNone) cue = LastCueBefore(u, part.begin, part.end);
  if (cue == Cue::kNone) cue = part.lead_cue;

  // "BETWEEN pos AND pos": a line, such as a cable's.
  if (pos.size() == 2 && cue != Cue::kArea) {
    const size_t between = FindWord(u, part.begin, first, "BETWEEN");
    const size_t gap_and = FindWord(u, part.positions[0]->end, part.positions[1]->begin, "AND");
    if (between != std::string_view::npos && gap_and != std::string_view::npos) cue = Cue::kTrack;
  }

  switch (cue) {
    case Cue::kTrack:
      AddTrack(pos, radius, out);
      return;
    case Cue::kArea:
      if (pos.size() >= 3) AddArea(pos, out);
      else AddPoints(pos, radius, out);
      return;
    case Cue::kList:
      AddPoints(pos, radius, out);
      return;
    case Cue::kNone:
      break;
  }
  if (pos.size() < 3) {
    AddPoints(pos, radius, out);
    return;
  }
  // No wording: a list of named objects when every gap between two
  // positions names something, otherwise one area.
  bool all_named = true;
  for (size_t i = 0; i + 1 < part.positions.size() && all_named; ++i)
    all_named = HasContentWord(u, part.positions[i]->end, part.positions[i + 1]->begin);
  if (all_named) AddPoints(pos, radius, out);
  else AddArea(pos, out);
}

}  // namespace

std::vector<MsiGeom> BuildGeometries(const std::string& raw_text, const std::string& upper) {
  std::vector<MsiGeom> geoms;
  const std::string_view u = upper;
  const std::vector<PositionSpan> spans = FindPositions(raw_text);
  const bool may_have_box = FindWord(u, 0, u.size(), "BETWEEN") != std::string_view::npos;
  if (spans.empty() && !may_have_box) return geoms;

  // Segments: the text before the first label, then one per label.
  const std::vector<Label> labels = FindLabels(u);
  std::vector<Segment> segs;
  segs.push_back({0, labels.empty() ? u.size() : labels.front().at, kNoLabel, Cue::kNone, -1, -1, 0, 0});
  std::vector<LabelStyle> rank_of;  // label styles in order of first use
  for (size_t i = 0; i < labels.size(); ++i) {
    Segment s;
    s.begin = labels[i].at;
    s.end = i + 1 < labels.size() ? labels[i + 1].at : u.size();
    s.style = labels[i].style;
    s.label_cue = labels[i].cue;
    auto r = std::find(rank_of.begin(), rank_of.end(), s.style);
    s.rank = static_cast<int>(r - rank_of.begin());
    if (r == rank_of.end()) rank_of.push_back(s.style);
    segs.push_back(s);
  }
  // Positions to segments, both in text order.
  size_t p = 0;
  for (Segment& s : segs) {
    s.first_pos = p;
    while (p < spans.size() && spans[p].begin < s.end) ++p;
    s.pos_count = p - s.first_pos;
  }
  // Each labelled segment is introduced by the nearest segment before it
  // whose label is of an outer style ("1. ... IN AREAS:" before "A.").
  std::vector<int> last_of_rank(rank_of.size(), 0);
  for (size_t k = 1; k < segs.size(); ++k) {
    int j = 0;
    for (int r = 0; r < segs[k].rank; ++r) j = std::max(j, last_of_rank[r]);
    segs[k].lead_in = j;
    last_of_rank[segs[k].rank] = static_cast<int>(k);
  }

  double message_radius = 0.0;
  if (FindWord(u, 0, u.size(), "ALL") != std::string_view::npos) {
    const StatedDistance all = FirstStatedRadius(u, 0, u.size());
    if (all.found && all.for_all) message_radius = all.nm;
  }
  // The wording and distance of each segment as an introduction, worked
  // out once however many items it introduces.
  std::vector<Cue> seg_cue(segs.size(), Cue::kNone);
  std::vector<double> seg_radius(segs.size(), 0.0);
  std::vector<bool> introduces(segs.size(), false);
  for (const Segment& s : segs)
    if (s.lead_in >= 0) introduces[s.lead_in] = true;
  // A distance stated in a part with no position of its own ("2. WITHIN 2
  // MILES EITHER SIDE OF TRACKLINES.") is stated for the positions of the
  // others.
  // Only when it names what it surrounds: "VESSELS WITHIN 20 MILES ARE
  // REQUESTED TO ASSIST" says nothing of a warning's extent.
  for (size_t k = 0; k < segs.size() && message_radius == 0.0; ++k) {
    if (introduces[k] || segs[k].pos_count > 0) continue;
    const StatedDistance d = FirstStatedRadius(u, segs[k].begin, segs[k].end);
    if (!d.found) continue;
    for (std::string_view w : {"TRACKLINE", "TRACKLINES", "LINE", "LINES", "ROUTE", "ROUTES", "POSITION", "POSITIONS",
                               "POINT", "POINTS", "CABLE", "PIPELINE"})
      if (FindWord(u, d.end, segs[k].end, w) != std::string_view::npos) message_radius = d.nm;
  }
  for (size_t k = 0; k < segs.size(); ++k) {
    if (!introduces[k]) continue;
    seg_cue[k] = LastCueBefore(u, segs[k].begin, segs[k].end);
    if (segs[k].pos_count == 0) {
      const StatedDistance d = FirstStatedRadius(u, segs[k].begin, segs[k].end);
      if (d.found) seg_radius[k] = d.nm;
    }
  }

  std::vector<Part> parts;
  for (size_t k = 0; k < segs.size(); ++k) {
    const Segment& s = segs[k];
    Part part;
    part.begin = s.begin;
    part.end = s.end;
    part.label_cue = s.label_cue;
    if (s.lead_in >= 0) {
      part.lead_cue = seg_cue[s.lead_in];
      part.lead_radius = seg_radius[s.lead_in];
    }
    for (size_t i = 0; i < s.pos_count; ++i) part.positions.push_back(&spans[s.first_pos + i]);

    // Labelled items of one position each and nothing else, introduced as
    // an area ("AREA BOUNDED BY: A) ... B) ... C) ..."), are its vertices.
    auto bare = [&](size_t m) {
      return segs[m].style == s.style && segs[m].lead_in == s.lead_in && segs[m].pos_count == 1 &&
             IsBareItem(u, segs[m], spans[segs[m].first_pos]);
    };
    if (s.lead_in >= 0 && part.lead_cue == Cue::kArea && segs[s.lead_in].pos_count == 0 && bare(k) &&
        !(k > 0 && bare(k - 1))) {
      size_t e = k + 1;
      while (e < segs.size() && bare(e)) ++e;
      if (e - k >= 3) {
        for (size_t m = k + 1; m < e; ++m) part.positions.push_back(&spans[segs[m].first_pos]);
        part.end = segs[e - 1].end;
        part.merged_vertices = true;
        parts.push_back(std::move(part));
        k = e - 1;
        continue;
      }
    }
    parts.push_back(std::move(part));
  }
  for (const Part& part : parts) ShapePart(u, part, message_radius, &geoms);
  return geoms;
}

}  // namespace orvane
