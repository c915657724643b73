#include "exchange/parcel.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <type_traits>
#include <nlohmann/json.hpp>


#include "common/clock.h"
#include "common/paths.h"
#include "common/text.h"

namespace orvane {
namespace {

// Text values: the short escapes for tab, line feed and carriage return,
// \u00XX for other control bytes, invalid UTF-8 made valid first.
std::string Esc(const std::string& raw) { return JsonEscape(raw, JsonControls::kShortForms); }

char LetterOrQuestion(char c) {
  if (c >= 'a' && c <= 'z') return static_cast<char>(c - 'a' + 'A');
  return (c >= 'A' && c <= 'Z') ? c : '?';
}

std::string Excerpt(const std::string& raw) {
  if (raw.size() <= kParcelExcerptBytes) return raw;
  return CutUtf8(raw, kParcelExcerptBytes) + "...";
}

GeomKind KindFromName(const std::string& name) {
  if (name == "circle") return GEOM_CIRCLE;
  if (name == "polyline") return GEOM_POLYLINE;
  if (name == "polygon") return GEOM_POLYGON;
  return GEOM_POINT;
}

using json = nlohmann::json;

// A member's value with its default when absent; a wrong type throws and
// fails the read.
template <typename T>
T Get(const json& obj, const char* key, T fallback) {
  const auto it = obj.find(key);
  if (it == obj.end()) return fallback;
  // A fraction is cut to an integer, but one out of range has no integer
  // value at all and is refused like a wrong type.
  if constexpr (std::is_integral_v<T> && !std::is_same_v<T, bool>) {
    if (it->is_number_float()) {
      const double v = it->template get<double>();
      if (!(v > static_cast<double>(std::numeric_limits<T>::min()) - 1.0 &&
            v < static_cast<double>(std::numeric_limits<T>::max()) + 1.0))
        throw json::type_error::create(302, std::string(key) + " is out of range", &*it);
    }
  }
  return it->template get<T>();
}

}  // namespace

std::string FormatParcelNumber(double v) {
  if (!std::isfinite(v)) return "0";  // JSON has no NaN or infinity
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 6);
  return std::string(buf, r.ptr);
}

std::string WriteParcelJson(const std::vector<MsiMessage>& messages, const ParcelMeta& meta) {
  const std::string created =
      meta.created.empty() ? FormatUtcTime(NowUtcMs(), "%Y-%m-%dT%H:%M:%SZ") : meta.created;
  const std::string corridor = FormatParcelNumber(meta.corridor_nm);
  std::string o;
  o += "{\n  \"meta\": {\n    \"format\": \"orvane_parcel_v1\",\n";
  o += "    \"created\": \"" + Esc(created) + "\",\n";
  o += "    \"route_id\": \"" + Esc(meta.route_id) + "\",\n";
  o += "    \"route_name\": \"" + Esc(meta.route_name) + "\",\n";
  o += "    \"corridor_nm\": " + corridor + ",\n";
  o += "    \"navarea_hint\": " + std::to_string(meta.navarea_hint) + ",\n";
  o += "    \"message_count\": " + std::to_string(messages.size()) + ",\n";
  o += "    \"note\": \"" + Esc(meta.note) + "\",\n";
  o += "    \"disclaimer\": \"Quorvant MSI overlay for OpenCPN.\"\n  },\n";
  o += "  \"corridor\": {\n    \"half_width_nm\": " + corridor + ",\n";
  o += "    \"filter\": \"messages whose any geom point is within half_width_nm of any active-route waypoint\"\n";
  o += "  },\n  \"messages\": [\n";
  for (size_t i = 0; i < messages.size(); ++i) {
    const MsiMessage& m = messages[i];
    o += "    {\n";
    o += "      \"id\": \"" + Esc(m.id) + "\",\n";
    o += std::string("      \"type\": \"") + TypeName(m.type) + "\",\n";
    o += "      \"title\": \"" + Esc(m.title) + "\",\n";
    o += "      \"station_id\": \"" + Esc(m.station_id) + "\",\n";
    o += std::string("      \"b1\": \"") + LetterOrQuestion(m.b1) + "\",\n";
    o += std::string("      \"b2\": \"") + LetterOrQuestion(m.b2) + "\",\n";
    o += "      \"number\": " + std::to_string(m.number) + ",\n";
    o += "      \"cancel_target\": \"" + Esc(m.cancel_target) + "\",\n";
    o += "      \"expires\": \"" + Esc(m.expires) + "\",\n";
    o += std::string("      \"active\": ") + (m.active ? "true" : "false") + ",\n";
    o += "      \"raw_excerpt\": \"" + Esc(Excerpt(m.raw_text)) + "\",\n";
    o += "      \"geoms\": [\n";
    for (size_t g = 0; g < m.geoms.size(); ++g) {
      const MsiGeom& geom = m.geoms[g];
      o += "        {\n";
      o += std::string("          \"kind\": \"") + GeomKindName(geom.kind) + "\",\n";
      o += "          \"radius_nm\": " + FormatParcelNumber(geom.radius_nm) + ",\n";
      o += "          \"points\": [";
      for (size_t p = 0; p < geom.points.size(); ++p) {
        if (p) o += ", ";
        o += "[" + FormatParcelNumber(geom.points[p].first) + ", " + FormatParcelNumber(geom.points[p].second) + "]";
      }
      o += "]\n";
      o += g + 1 < m.geoms.size() ? "        },\n" : "        }\n";
    }
    o += "      ]\n";
    o += i + 1 < messages.size() ? "    },\n" : "    }\n";
  }
  o += "  ],\n  \"geoms\": []\n}\n";
  return o;
}

bool ReadParcelJson(const std::string& text, std::vector<MsiMessage>* messages, ParcelMeta* meta,
                    std::string* error) {
  messages->clear();
  auto fail = [&](const std::string& why) {
    messages->clear();
    if (error) *error = why;
    return false;
  };
  if (text.size() > kParcelMaxBytes) return fail("parcel too large");
  try {
    const json root = json::parse(text);
    const auto meta_it = root.is_object() ? root.find("meta") : root.end();
    if (!root.is_object() || meta_it == root.end() || !meta_it->is_object()) return fail("missing meta object");
    const json& jm = *meta_it;
    const auto fmt = jm.find("format");
    if (fmt == jm.end() || fmt->get<std::string>() != "orvane_parcel_v1")
      return fail("unsupported or missing meta.format (need orvane_parcel_v1)");
    const auto msgs = root.find("messages");
    if (msgs == root.end() || !msgs->is_array()) return fail("missing messages array");
    if (msgs->size() > kParcelMaxMessages) return fail("parcel holds more than 100000 messages");
    if (meta) {
      ParcelMeta m;
      m.created = Get<std::string>(jm, "created", "");
      m.route_id = Get<std::string>(jm, "route_id", "");
      m.route_name = Get<std::string>(jm, "route_name", "");
      m.note = Get<std::string>(jm, "note", "");
      m.corridor_nm = Get<double>(jm, "corridor_nm", 50.0);
      m.navarea_hint = Get<int>(jm, "navarea_hint", 0);
      *meta = m;
    }
    for (const json& e : *msgs) {
      if (!e.is_object()) throw json::type_error::create(302, "message must be an object", &e);
      MsiMessage m;
      m.id = Get<std::string>(e, "id", "");
      m.title = Get<std::string>(e, "title", "");
      m.station_id = Get<std::string>(e, "station_id", "");
      m.cancel_target = Get<std::string>(e, "cancel_target", "");
      m.expires = Get<std::string>(e, "expires", "");
      m.raw_text = Get<std::string>(e, "raw_excerpt", "");
      m.type = ParseExchangeTypeName(Get<std::string>(e, "type", "OTHER"));
      const std::string b1 = Get<std::string>(e, "b1", "?"), b2 = Get<std::string>(e, "b2", "?");
      m.b1 = LetterOrQuestion(b1.empty() ? '?' : b1[0]);
      m.b2 = LetterOrQuestion(b2.empty() ? '?' : b2[0]);
      m.b2_index = B2Index(m.b2);  // derived from b2, so the subject filter sees the right index
      m.number = Get<int32_t>(e, "number", 0);
      m.active = Get<bool>(e, "active", true);
      const auto geoms = e.find("geoms");
      if (geoms != e.end() && geoms->is_array()) {
        for (const json& g : *geoms) {
          if (!g.is_object()) throw json::type_error::create(302, "geometry must be an object", &g);
          MsiGeom geom;
          geom.kind = KindFromName(Get<std::string>(g, "kind", "point"));
          const double r = Get<double>(g, "radius_nm", 0.0);
          geom.radius_nm = std::isfinite(r) ? std::clamp(r, 0.0, 500.0) : 0.0;
          const auto pts = g.find("points");
          if (pts != g.end() && pts->is_array()) {
            for (const json& p : *pts) {
              if (!p.is_array() || p.size() < 2) continue;
              const double lat = p[0].get<double>(), lon = p[1].get<double>();
              // A parcel from someone else may hold anything; off-globe points are not drawn.
              if (!std::isfinite(lat) || !std::isfinite(lon) || std::fabs(lat) > 90 || std::fabs(lon) > 180) continue;
              geom.points.emplace_back(lat, lon);
            }
          }
          m.geoms.push_back(std::move(geom));
        }
      }
      messages->push_back(std::move(m));
    }
  } catch (const json::exception& e) {
    return fail(std::string("JSON parse: ") + e.what());
  }
  return true;
}

bool WriteTextAtomically(const std::string& path, const std::string& text, std::string* error) {
  const std::string temp = path + ".tmp";
  std::string why;
  switch (AtomicWriteFile(path, text)) {
    case AtomicWrite::kOk: return true;
    case AtomicWrite::kOpenFailed: why = "cannot open temp: " + temp; break;
    case AtomicWrite::kWriteFailed: why = "write failed: " + temp; break;
    case AtomicWrite::kRenameFailed: why = "rename failed: " + path; break;
  }
  if (error) *error = why;
  return false;
}

std::string ParcelsDirectory() {
  const std::string dir = ParcelsDir();
  return EnsureDirectory(dir) ? dir : std::string();
}

}  // namespace orvane
